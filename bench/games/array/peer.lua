-- An array of 100,000 elements filled and summed, 20 times.
local started = os.clock()
local total = 0
for round = 1, 20 do
    local a = {}
    for i = 0, 99999 do
        a[i + 1] = i * 2
    end
    for i = 1, 100000 do
        total = total + a[i]
    end
end
print(string.format("time %.0f", (os.clock() - started) * 1e6))
print(total)
