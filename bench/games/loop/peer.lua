-- Ten million rounds of arithmetic on locals.
local s = 0
for i = 0, 9999999 do
    s = s + (i * 3) % 7
end
print(s)
