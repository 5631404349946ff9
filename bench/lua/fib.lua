-- Recursive Fibonacci through function calls, as the interpreter's script calls itself.
local function fib(n)
    if n < 2 then return n end
    return fib(n - 1) + fib(n - 2)
end

local start = os.clock()
local result = fib(27)
print(string.format("%.6f %d", os.clock() - start, result))
