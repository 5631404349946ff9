-- The peer of bench_shapes' draw room: each thing draws a 16 x 16 white image at its place, scaled by
-- 0.5, 0.75 or 1 and turned by its angle, which then moves on by 3 degrees.
local room = dofile(love.filesystem.getSource() .. "/../love_room.lua")
local things = {}
local image

function love.load()
    local data = love.image.newImageData(16, 16)
    data:mapPixel(function() return 1, 1, 1, 1 end)
    image = love.graphics.newImage(data)
    for i = 0, room.size - 1 do
        local x, y, id = room.place(i)
        things[#things + 1] = {x = x, y = y, ang = id % 360, sc = 0.5 + (id % 3) * 0.25, drawn = 0}
    end
    -- The game draws its room once when the room starts, before the first step.
    love.draw()
end

function love.update() room.count() end

function love.draw()
    for _, t in ipairs(things) do
        -- The room's angles turn counter-clockwise with y down; LOVE's turn clockwise.
        love.graphics.draw(image, t.x, t.y, -math.rad(t.ang), t.sc, t.sc)
        t.ang = (t.ang + 3) % 360
        t.drawn = t.drawn + 1
    end
end

function love.quit()
    room.answer(#things, room.sum(things, "drawn"), room.sum(things, "ang"))
end
