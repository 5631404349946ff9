-- The peer of bench_shapes' list room: each thing keeps a list and an array of four numbers (two Lua
-- tables), each step writing one element of each from elements of the other.
local room = dofile(love.filesystem.getSource() .. "/../love_room.lua")
local things = {}

function love.load()
    for i = 0, room.size - 1 do
        local x, y, id = room.place(i)
        things[#things + 1] = {x = x, y = y, lst = {id % 7, 1, 2, 3}, arr = {id % 5, 1, 2, 3}, n = 0}
    end
end

function love.update()
    for _, t in ipairs(things) do
        local i, j = t.n % 4 + 1, (t.n + 1) % 4 + 1
        t.lst[i] = (t.lst[j] + t.arr[i]) % 1000
        t.arr[j] = (t.arr[j] + t.lst[i]) % 1000
        t.n = t.n + 1
    end
    room.count()
end

function love.quit()
    local a, b = 0, 0
    for _, t in ipairs(things) do
        for k = 1, 4 do a, b = a + t.lst[k], b + t.arr[k] end
    end
    room.answer(#things, a, b)
end
