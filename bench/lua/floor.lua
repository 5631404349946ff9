-- A million calls of math.floor, written as the interpreter's for loop runs it.
local start = os.clock()
local s = 0
local i = 0
while i < 1000000 do
    s = s + math.floor(i * 0.37)
    i = i + 1
end
print(string.format("%.6f %.17g", os.clock() - start, s))
