-- The window of every peer in bench/: 640 x 480 (the rooms that draw are that size), no vertical
-- sync, no audio.
function love.conf(t)
    t.window.width = 640
    t.window.height = 480
    t.window.vsync = 0
    t.modules.audio = false
    t.modules.sound = false
end
