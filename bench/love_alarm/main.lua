-- The peer of bench_shapes' alarm room: each thing's alarm counts down before the step and, on reaching
-- 0, moves its state on and is re-armed for 2 to 5 frames; the step chooses by the state what to do.
local room = dofile(love.filesystem.getSource() .. "/../love_room.lua")
local things = {}

function love.load()
    for i = 0, room.size - 1 do
        local x, y, id = room.place(i)
        things[#things + 1] = {x = x, y = y, alarm = 1 + id % 4, state = id % 3, v = 0, fired = 0}
    end
end

local function ring(t)
    t.fired = t.fired + 1
    t.state = (t.state + 1) % 4
    t.alarm = 2 + t.state
end

function love.update()
    for _, t in ipairs(things) do
        if t.alarm >= 0 then
            t.alarm = t.alarm - 1
            if t.alarm == 0 then ring(t) end
        end
    end
    for _, t in ipairs(things) do
        local state = t.state
        if state == 0 then
            t.v = t.v + 1
        elseif state == 1 then
            t.v = t.v + 2
        elseif state == 2 then
            t.v = t.v - 1
        else
            t.v = 0
        end
    end
    room.count()
end

function love.quit()
    room.answer(#things, room.sum(things, "fired"), room.sum(things, "v"))
end
