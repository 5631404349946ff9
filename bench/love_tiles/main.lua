-- The same room as bench_tiles' game: layers of 16 x 16 tiles over 640 x 480, cut from a 64 x 32
-- picture of four opaque squares and four frames with a clear middle, the deepest layer first, drawn
-- every frame with nearest filtering. Arguments: the number of frames, then the number of layers.
dofile(love.filesystem.getSource() .. "/../love_loop.lua")
local frames = tonumber(arg[2]) or 300
local LAYERS = tonumber(arg[3]) or 1
local TILE, COLUMNS, ROWS = 16, 40, 30
local COLOURS = {{0xE0, 0x40, 0x20}, {0x40, 0xC0, 0x20}, {0x20, 0x60, 0xE0}, {0xC0, 0xC0, 0xC0}}
local image
local quads = {}

local function kindAt(layer, column, row)
    return (column * 7 + row * 3 + layer * 5) % 8
end

function love.load()
    love.graphics.setDefaultFilter("nearest", "nearest")
    local data = love.image.newImageData(4 * TILE, 2 * TILE)
    data:mapPixel(function(x, y)
        local kind = math.floor(y / TILE) * 4 + math.floor(x / TILE)
        local tx, ty = x % TILE, y % TILE
        if kind >= 4 and tx >= 4 and tx < TILE - 4 and ty >= 4 and ty < TILE - 4 then return 0, 0, 0, 0 end
        local c = COLOURS[kind % 4 + 1]
        return c[1] / 255, c[2] / 255, c[3] / 255, 1
    end)
    image = love.graphics.newImage(data)
    for kind = 0, 7 do
        quads[kind] = love.graphics.newQuad((kind % 4) * TILE, math.floor(kind / 4) * TILE, TILE, TILE, image:getDimensions())
    end
end

function love.update()
    frames = frames - 1
    if frames <= 0 then love.event.quit() end
end

function love.draw()
    for layer = 0, LAYERS - 1 do
        for row = 0, ROWS - 1 do
            for column = 0, COLUMNS - 1 do
                love.graphics.draw(image, quads[kindAt(layer, column, row)], column * TILE, row * TILE)
            end
        end
    end
end
