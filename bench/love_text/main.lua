-- The same text as bench_text's game: 60 lines of 80 characters over 640 x 480 in an 8 x 8
-- monospaced image font of the same glyphs (2 x 2 blocks, white on clear, characters 32 to 127),
-- drawn white with nearest filtering, line by line, `passes` times a frame. Arguments: the number of
-- frames, then the number of passes.
dofile(love.filesystem.getSource() .. "/../love_loop.lua")
local frames = tonumber(arg[2]) or 300
local PASSES = tonumber(arg[3]) or 1
local CELL, LINES, LINE_LENGTH = 8, 60, 80
local FIRST_CODE, LAST_CODE = 32, 127
local lines = {}

-- Whether a glyph's 2 x 2 block (bx, by) of its 4 x 4 is white; the space is empty.
local function glyphBlock(code, bx, by)
    return code ~= 32 and (code * 131 + bx * 7 + by * 13) % 5 < 2
end

function love.load()
    love.graphics.setDefaultFilter("nearest", "nearest")
    -- An image font: each glyph's 8 columns follow a separator column of a colour no glyph uses.
    local count = LAST_CODE - FIRST_CODE + 1
    local data = love.image.newImageData(count * (CELL + 1) + 1, CELL)
    local glyphs = {}
    data:mapPixel(function(x, y)
        local slot, column = math.floor(x / (CELL + 1)), x % (CELL + 1)
        if column == 0 then return 1, 0, 1, 1 end
        if glyphBlock(FIRST_CODE + slot, math.floor((column - 1) / 2), math.floor(y / 2)) then return 1, 1, 1, 1 end
        return 0, 0, 0, 0
    end)
    for code = FIRST_CODE, LAST_CODE do glyphs[#glyphs + 1] = string.char(code) end
    love.graphics.setFont(love.graphics.newImageFont(data, table.concat(glyphs)))
    for l = 0, LINES - 1 do
        local s = {}
        for m = 0, LINE_LENGTH - 1 do s[#s + 1] = string.char(36 + (l * 31 + m * 17) % 91) end
        lines[l] = table.concat(s)
    end
end

function love.update()
    frames = frames - 1
    if frames <= 0 then love.event.quit() end
end

function love.draw()
    love.graphics.setColor(1, 1, 1, 1)
    for p = 1, PASSES do
        for l = 0, LINES - 1 do love.graphics.print(lines[l], 0, l * CELL) end
    end
end
