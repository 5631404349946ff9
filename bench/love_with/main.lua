-- The peer of bench_shapes' with room: a controller goes over the things each frame, reading its own
-- count into each thing's value and adding each thing's value to its own total.
local room = dofile(love.filesystem.getSource() .. "/../love_room.lua")
local things = {}
local controller = {k = 0, total = 0}

function love.load()
    for i = 0, room.size - 1 do
        local x, y, id = room.place(i)
        things[#things + 1] = {x = x, y = y, v = id % 1000}
    end
end

function love.update()
    local c = controller
    c.k = c.k + 1
    for _, t in ipairs(things) do
        t.v = (t.v + c.k) % 1000
        c.total = c.total + t.v
    end
    room.count()
end

function love.quit()
    room.answer(#things, controller.total, room.sum(things, "v"))
end
