-- The same room as bench_movers' game: one target at (320, 240) and N movers, 16 x 16 boxes, nothing
-- drawn. Each mover turns back when it is outside the room, moves, and counts the frames its box
-- meets the target's. Arguments: frames to play, movers, then "off" to run with the compiler off.
-- At the end it prints the movers' count and their hits.
dofile(love.filesystem.getSource() .. "/../love_loop.lua")
local frames = tonumber(arg[2]) or 300
local MOVERS = tonumber(arg[3]) or 10000
if arg[4] == "off" then jit.off() end
local movers = {}
local TX, TY = 320, 240

function love.load()
    for i = 0, MOVERS - 1 do
        local id = 100001 + i
        movers[#movers + 1] = {
            x = (i * 7919) % 624, y = (i * 104729) % 464,
            vx = (id % 5) - 2, vy = (math.floor(id / 5) % 5) - 2, hits = 0,
        }
    end
end

function love.update()
    for _, m in ipairs(movers) do
        if m.x < 0 or m.x > 624 then m.vx = -m.vx end
        if m.y < 0 or m.y > 464 then m.vy = -m.vy end
        m.x = m.x + m.vx
        m.y = m.y + m.vy
        if m.x < TX + 16 and m.x + 16 > TX and m.y < TY + 16 and m.y + 16 > TY then m.hits = m.hits + 1 end
    end
    frames = frames - 1
    if frames <= 0 then
        local hits = 0
        for _, m in ipairs(movers) do hits = hits + m.hits end
        print(#movers .. " " .. hits)
        love.event.quit()
    end
end

function love.draw() end
