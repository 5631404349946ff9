-- The peer of bench_shapes' life room: each thing lives 1 to 10 frames; when its life runs out it makes
-- a new thing where it is and is destroyed, the new one not stepped until the next frame and the dead
-- removed at the end of the frame, as the engine's deletion stage does. A create and a destroy
-- function stand for the events, counting what was made and what is gone.
local room = dofile(love.filesystem.getSource() .. "/../love_room.lua")
local things = {}
local made, gone = 0, 0

local function create(x, y)
    things[#things + 1] = {x = x, y = y, life = 1 + made % 10}
    made = made + 1
end

local function destroy(t)
    t.dead = true
    gone = gone + 1
end

function love.load()
    for i = 0, room.size - 1 do create(room.place(i)) end
end

function love.update()
    local count = #things
    for i = 1, count do
        local t = things[i]
        t.life = t.life - 1
        if t.life <= 0 then
            create(t.x, t.y)
            destroy(t)
        end
    end
    local kept = 0
    for i = 1, #things do
        local t = things[i]
        if not t.dead then
            kept = kept + 1
            things[kept] = t
        end
    end
    for i = #things, kept + 1, -1 do things[i] = nil end
    room.count()
end

function love.quit()
    room.answer(#things, made, gone, room.sum(things, "life"))
end
