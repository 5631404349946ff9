-- Ten million rounds of arithmetic on locals, written as the interpreter's for loop runs it.
local start = os.clock()
local s = 0
local i = 0
while i < 10000000 do
    s = s + (i * 3) % 7
    i = i + 1
end
print(string.format("%.6f %d", os.clock() - start, s))
