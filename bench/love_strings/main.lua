-- The peer of bench_shapes' strings room: each thing builds a string from its numbers every step and
-- adds up the strings' lengths.
local room = dofile(love.filesystem.getSource() .. "/../love_room.lua")
local things = {}

function love.load()
    for i = 0, room.size - 1 do
        local x, y, id = room.place(i)
        things[#things + 1] = {x = x, y = y, n = id % 100, len = 0, s = ""}
    end
end

function love.update()
    for _, t in ipairs(things) do
        t.s = tostring(t.x) .. ":" .. tostring(t.n) .. ":" .. tostring(t.y)
        t.n = t.n + 1
        t.len = t.len + #t.s
    end
    room.count()
end

function love.quit()
    room.answer(#things, room.sum(things, "len"))
end
