-- A million character counts of a UTF-8 text ("héllo wörld €").
local start = os.clock()
local t = "h\xC3\xA9llo w\xC3\xB6rld \xE2\x82\xAC"
local s = 0
local i = 0
while i < 1000000 do
    s = s + utf8.len(t)
    i = i + 1
end
print(string.format("%.6f %.17g", os.clock() - start, s))
