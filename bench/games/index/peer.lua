-- A million elements written and a million read at an index computed each round.
local started = os.clock()
local a = {}
for i = 0, 999999 do
    a[i % 100000 + 1] = i
end
local t = 0
for i = 0, 999999 do
    t = t + a[i % 100000 + 1]
end
print(string.format("time %.0f", (os.clock() - started) * 1e6))
print(t)
