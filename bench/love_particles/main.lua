-- The same stream as bench_particles' game: a 64 x 64 white disk at scales 0.1 to 0.3, life 100
-- steps of 1/30 s, speed 0 to 2 pixels a step in any direction, gravity 0.1 pixels a step squared
-- downwards, white to red and opaque to clear, 1,000 a step over the middle 320 x 240 of the room.
-- Arguments: the number of frames, then "draw" to draw the system each frame.
dofile(love.filesystem.getSource() .. "/../love_loop.lua")
local frames = tonumber(arg[2]) or 300
local drawn = arg[3] == "draw"
local STEP = 1 / 30
local system

function love.load()
    local data = love.image.newImageData(64, 64)
    data:mapPixel(function(x, y)
        local d = math.sqrt((x - 31.5) ^ 2 + (y - 31.5) ^ 2)
        return 1, 1, 1, d < 31 and 1 or 0
    end)
    system = love.graphics.newParticleSystem(love.graphics.newImage(data), 100000)
    system:setPosition(320, 240)
    system:setEmissionArea("uniform", 160, 120)
    system:setEmissionRate(1000 / STEP)
    system:setParticleLifetime(100 * STEP)
    system:setSpeed(0, 2 / STEP)
    system:setSpread(2 * math.pi)
    system:setLinearAcceleration(0, 0.1 / STEP / STEP, 0, 0.1 / STEP / STEP)
    system:setSizes(0.2)
    system:setSizeVariation(0.5)
    system:setColors(1, 1, 1, 1, 1, 0, 0, 0)
end

function love.update()
    system:update(STEP)
    frames = frames - 1
    if frames <= 0 then love.event.quit() end
end

function love.draw()
    if drawn then love.graphics.draw(system) end
end
