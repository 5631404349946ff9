-- The peer of bench_shapes' seek room: each thing follows the next one (the last the game's reporter,
-- which stays at 0, 0), reading its place, measuring the distance and direction to it and stepping 2
-- pixels towards it, whole pixels.
local room = dofile(love.filesystem.getSource() .. "/../love_room.lua")
local RAD = 3.1415927410125732 / 180
local sqrt, atan2, cos, sin, floor = math.sqrt, math.atan2, math.cos, math.sin, math.floor
local things = {}

function love.load()
    for i = 0, room.size - 1 do
        local x, y = room.place(i)
        things[#things + 1] = {x = x, y = y, near = 0, dsum = 0}
    end
    local reporter = {x = 0, y = 0}
    for i, t in ipairs(things) do t.target = things[i + 1] or reporter end
end

local function direction(x1, y1, x2, y2)
    local dx, dy = x2 - x1, y2 - y1
    if dx == 0 then return dy > 0 and 270 or dy < 0 and 90 or 0 end
    local a = atan2(dy, dx) / RAD
    return a <= 0 and -a or 360 - a
end

function love.update()
    for _, t in ipairs(things) do
        local tx, ty = t.target.x, t.target.y
        local dx, dy = tx - t.x, ty - t.y
        local d = sqrt(dx * dx + dy * dy)
        local a = direction(t.x, t.y, tx, ty)
        if d > 8 then
            t.x = t.x + floor(cos(a * RAD) * 2 + 0.5)
            t.y = t.y + floor(-sin(a * RAD) * 2 + 0.5)
        else
            t.near = t.near + 1
        end
        t.dsum = t.dsum + d
    end
    room.count()
end

function love.quit()
    room.answer(#things, room.sum(things, "near"), floor(room.sum(things, "dsum") + 0.5))
end
