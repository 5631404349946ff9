-- Texts built from numbers and measured, 200,000 times.
local started = os.clock()
local total = 0
for i = 0, 199999 do
    local t = "n" .. tostring(i) .. ":" .. tostring(i * 2)
    total = total + #t
end
print(string.format("time %.0f", (os.clock() - started) * 1e6))
print(total)
