dofile(love.filesystem.getSource() .. "/../love_conf.lua")
