-- The peer of bench_shapes' motion room: each thing's speed, direction, friction and gravity, as the
-- engine's motion stage applies them (friction first, then gravity, then the move), in doubles; the
-- answer gives the sums of places to the hundred, as the game's floats and these doubles drift apart.
local room = dofile(love.filesystem.getSource() .. "/../love_room.lua")
local RAD = 3.1415927410125732 / 180
local cos, sin, atan2, sqrt = math.cos, math.sin, math.atan2, math.sqrt
local things = {}

-- Every thing moves, unless a peer that shares this file sets MOVING_EVERY: then only the things whose
-- id it divides do, and the others stand still with no speed, friction or gravity.
function love.load()
    for i = 0, room.size - 1 do
        local x, y, id = room.place(i)
        local t = {x = x, y = y, speed = 0, direction = 0, friction = 0, gravity = 0, gravity_direction = 270,
                   hspeed = 0, vspeed = 0}
        if MOVING_EVERY == nil or id % MOVING_EVERY == 0 then
            t.speed, t.direction, t.friction, t.gravity = 1 + id % 4, (id * 37) % 360, 0.05, 0.02
            t.hspeed, t.vspeed = cos(t.direction * RAD) * t.speed, -sin(t.direction * RAD) * t.speed
        end
        things[#things + 1] = t
    end
end

function love.update()
    for _, t in ipairs(things) do
        if t.friction ~= 0 and t.speed ~= 0 then
            local speed = t.speed > 0 and t.speed - t.friction or t.speed + t.friction
            if (t.speed > 0 and speed < 0) or (t.speed < 0 and speed > 0) then speed = 0 end
            t.speed = speed
            t.hspeed = cos(t.direction * RAD) * speed
            t.vspeed = -sin(t.direction * RAD) * speed
        end
        if t.gravity ~= 0 then
            local a = t.gravity_direction * RAD
            t.hspeed = t.hspeed + cos(a) * t.gravity
            t.vspeed = t.vspeed - sin(a) * t.gravity
            if t.hspeed == 0 then
                t.direction = t.vspeed > 0 and 270 or t.vspeed < 0 and 90 or 0
            else
                local d = atan2(t.vspeed, t.hspeed) / RAD
                t.direction = d > 0 and 360 - d or -d
            end
            t.speed = sqrt(t.hspeed * t.hspeed + t.vspeed * t.vspeed)
        end
        t.x = t.x + t.hspeed
        t.y = t.y + t.vspeed
    end
    room.count()
end

function love.quit()
    room.answer(#things, math.floor(room.sum(things, "x") / 100 + 0.5), math.floor(room.sum(things, "y") / 100 + 0.5))
end
