-- The same scene as bench_sprites' game: opaque 26 x 37 sprites (origin top-left) whose speeds in
-- -2..2 reverse when they leave the 640 x 480 room, drawn each frame. Arguments: the number of
-- frames to play before quitting, then the number of sprites (10,000 without it).
dofile(love.filesystem.getSource() .. "/../love_loop.lua")
local frames = tonumber(arg[2]) or 300
local INSTANCES = tonumber(arg[3]) or 10000
local balls = {}
local image

function love.load()
    local data = love.image.newImageData(26, 37)
    data:mapPixel(function() return 0xE0 / 255, 0x80 / 255, 0x20 / 255, 1 end)
    image = love.graphics.newImage(data)
    for i = 0, INSTANCES - 1 do
        local id = 100001 + i
        balls[#balls + 1] = {
            x = (i * 7919) % (640 - 26), y = (i * 104729) % (480 - 37),
            hspeed = (id % 5) - 2, vspeed = (math.floor(id / 5) % 5) - 2,
        }
    end
end

function love.update()
    for _, b in ipairs(balls) do
        b.x = b.x + b.hspeed
        b.y = b.y + b.vspeed
        if b.x < 0 or b.x > 640 - 26 then b.hspeed = -b.hspeed end
        if b.y < 0 or b.y > 480 - 37 then b.vspeed = -b.vspeed end
    end
    frames = frames - 1
    if frames <= 0 then love.event.quit() end
end

function love.draw()
    for _, b in ipairs(balls) do love.graphics.draw(image, b.x, b.y) end
end
