-- Two million rounds of expressions over several locals, each statement a few operations deep.
local started = os.clock()
local s = 0
for i = 0, 1999999 do
    local dx = i * 2 - 3
    local dy = (i + 7) * 4 - dx
    s = s + math.fmod(dx * dx + dy * dy, 1000)
end
print(string.format("time %.0f", (os.clock() - started) * 1e6))
print(s)
