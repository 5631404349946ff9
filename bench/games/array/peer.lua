-- An array of 100,000 elements filled and summed, 20 times.
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
print(total)
