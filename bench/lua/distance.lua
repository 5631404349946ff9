-- A million point distances, each the root of the summed squares.
local start = os.clock()
local s = 0
local i = 0
while i < 1000000 do
    local dx = i - 0
    local dy = i * 0.5 - 0
    s = s + math.sqrt(dx * dx + dy * dy)
    i = i + 1
end
print(string.format("%.6f %.17g", os.clock() - start, s))
