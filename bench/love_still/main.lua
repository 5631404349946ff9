-- The peer of bench_shapes' still room: the motion room's things, of which only one in ten has a
-- speed, friction and gravity; the motion stage still goes over every thing.
MOVING_EVERY = 10
dofile(love.filesystem.getSource() .. "/../love_motion/main.lua")
