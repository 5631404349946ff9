-- Recursive Fibonacci through function calls.
local function fib(n)
    if n < 2 then return n end
    return fib(n - 1) + fib(n - 2)
end
local started = os.clock()
local answer = fib(27)
print(string.format("time %.0f", (os.clock() - started) * 1e6))
print(answer)
