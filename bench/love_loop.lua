-- LOVE 11's own main loop without its sleep of 1 ms a frame, so that a peer's frame is its work alone,
-- as ours runs without waiting. Every peer in bench/ loads this before anything else.
function love.run()
    if love.load then love.load(love.arg.parseGameArguments(arg), arg) end
    -- The first frame's dt should not include the time taken by love.load.
    if love.timer then love.timer.step() end
    local dt = 0
    return function()
        if love.event then
            love.event.pump()
            for name, a, b, c, d, e, f in love.event.poll() do
                if name == "quit" then
                    if not love.quit or not love.quit() then return a or 0 end
                end
                love.handlers[name](a, b, c, d, e, f)
            end
        end
        if love.timer then dt = love.timer.step() end
        if love.update then love.update(dt) end
        if love.graphics and love.graphics.isActive() then
            love.graphics.origin()
            love.graphics.clear(love.graphics.getBackgroundColor())
            if love.draw then love.draw() end
            love.graphics.present()
        end
    end
end
