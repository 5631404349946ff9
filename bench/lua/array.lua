-- Filling an array of 100,000 elements and reading it back, 20 times.
local start = os.clock()
local total = 0
local round = 0
while round < 20 do
    local a = {}
    local i = 0
    while i < 100000 do
        a[i] = i * 2
        i = i + 1
    end
    i = 0
    while i < 100000 do
        total = total + a[i]
        i = i + 1
    end
    round = round + 1
end
print(string.format("%.6f %d", os.clock() - start, total))
