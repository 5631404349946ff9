-- What the peers of bench_shapes share: LOVE's loop without its sleep, their arguments (frames to play,
-- things, then "off" to run with the compiler off), where thing i starts and its id as the games place
-- them (thing i has id 100001 + i), the countdown of frames and the answer line.
dofile(love.filesystem.getSource() .. "/../love_loop.lua")
local room = {frames = tonumber(arg[2]) or 300, size = tonumber(arg[3]) or 10000}
if arg[4] == "off" then jit.off() end

function room.place(i)
    return (i * 7919) % 624, (i * 104729) % 464, 100001 + i
end

-- Called once a frame at the end of love.update: quits after the last frame, whose draw still runs.
function room.count()
    room.frames = room.frames - 1
    if room.frames <= 0 then love.event.quit() end
end

-- The sum of one field over the things.
function room.sum(things, field)
    local total = 0
    for _, t in ipairs(things) do total = total + t[field] end
    return total
end

-- Prints the things' count and the answer's numbers, whole ones as the games print them.
function room.answer(count, ...)
    local parts = {string.format("%d", count)}
    for _, value in ipairs({...}) do parts[#parts + 1] = string.format("%d", value) end
    print(table.concat(parts, " "))
end

return room
