-- The peer of bench_shapes' collision room: movers as bench_movers' bounce over the 800 x 640 room, and
-- each frame a 16 x 16 box is tested against the 500 walls (8 x 8, 32 apart) twice: whether it meets
-- one where it is, and which it meets 8 pixels further down and right, wall by wall as a plain search.
local room = dofile(love.filesystem.getSource() .. "/../love_room.lua")
local things, walls = {}, {}

function love.load()
    for i = 0, room.size - 1 do
        local x, y, id = room.place(i)
        things[#things + 1] = {x = x, y = y, vx = id % 5 - 2, vy = math.floor(id / 5) % 5 - 2, hits = 0, found = 0}
    end
    for k = 0, 499 do
        walls[#walls + 1] = {x = 12 + (k % 25) * 32, y = 12 + math.floor(k / 25) * 32, id = 100001 + room.size + k}
    end
end

-- The first wall whose box meets a 16 x 16 box at x, y.
local function meeting(x, y)
    for _, w in ipairs(walls) do
        if x < w.x + 8 and x + 16 > w.x and y < w.y + 8 and y + 16 > w.y then return w end
    end
    return nil
end

function love.update()
    for _, t in ipairs(things) do
        if t.x < 0 or t.x > 784 then t.vx = -t.vx end
        if t.y < 0 or t.y > 624 then t.vy = -t.vy end
        t.x = t.x + t.vx
        t.y = t.y + t.vy
        if meeting(t.x, t.y) then t.hits = t.hits + 1 end
        local w = meeting(t.x + 8, t.y + 8)
        if w then t.found = t.found + w.id % 1000 end
    end
    room.count()
end

function love.quit()
    room.answer(#things, room.sum(things, "hits"), room.sum(things, "found"))
end
