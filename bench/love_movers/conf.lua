-- The peer of bench_movers: no vertical sync, no audio, a window of the room's size.
function love.conf(t)
    t.window.width = 640
    t.window.height = 480
    t.window.vsync = 0
    t.modules.audio = false
    t.modules.sound = false
end
