// The compiler's phases (lexer, name resolution, parser, checks with the value operators' folding),
// its trees and constants, and CCode::Compile with sources at the limits of nesting and size.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

#include "Code_CompilerSupport.h"
#include "Code_TestLog.h"
#include "code/Code_Checks.h"
#include "code/Code_Names.h"
#include "code/Code_Operators.h"
#include "gamefile/GameFile_Options.h"
#include "platform/Platform_MemoryManager.h"
#include "platform/Platform_TestSwitches.h"

namespace {

using namespace compiler_test;

// The tokens of a text as "kind:text@position" items; the end token as "end@position".
std::string Tokens(const std::string& text, bool withPositions = false, bool* ok = nullptr)
{
    CCode code(text.c_str(), false);
    TokenArray tokens;
    g_CodeErrorFlag = false;
    bool done = Lexer_Tokenise(&code, &tokens);
    if (ok != nullptr) *ok = done;
    std::string out;
    for (int32_t i = 0; i < tokens.count; ++i) {
        const Token& token = tokens.tokens[i];
        out += out.empty() ? "" : " ";
        out += token.kind == TOKEN_END ? "end" : std::to_string(token.kind) + ":" + (token.text ? token.text : "<null>");
        if (withPositions) out += "@" + std::to_string(token.position);
    }
    TokenArray_Free(&tokens);
    return out;
}

TEST(Lexer, TokensOfEveryKind)
{
    const std::pair<const char*, const char*> cases[] = {
        // Operators of two characters win over one; there is no "%=".
        {"a<>b", "0:a 207:<> 0:b end"}, {"x=+1", "0:x 101:= 210:+ 1:1 end"},
        {"a||b|c|=d", "0:a 202:|| 0:b 217:| 0:c 114:|= 0:d end"}, {"a%=2", "0:a 215:% 101:= 1:2 end"},
        {"{[.:~]}", "11:{ 110:[ 112:. 113:: 220:~ 111:] 12:} end"},
        // Keywords are case-sensitive whole words.
        {"globalvar begin end and or not div mod xor",
         "30:globalvar 11:begin 12:end 201:and 202:or 203:not 214:div 215:mod 216:xor end"},
        {"IF", "0:IF end"}, {"globalvars", "0:globalvars end"},
        // Numbers take one point; hex keeps the dollar.
        {"1.2.3", "1:1.2 1:.3 end"}, {"$FF", "1:$FF end"}, {"$g", "1:$ 0:g end"}, {"a.b", "0:a 112:. 0:b end"},
        // Strings take either quote, without escapes, keep non-ASCII bytes and may stay unclosed.
        {"'a\\'", "2:a\\ end"}, {"\"line\nbreak\"", "2:line\nbreak end"},
        {"\"\xC3\xA9\"", "2:\xC3\xA9 end"}, {"x = \"abc def", "0:x 101:= 2:abc def end"},
        // Comments and blanks are skipped; non-ASCII bytes outside strings separate words.
        {"a // comment\rb", "0:a 0:b end"}, {"a/* c */b", "0:a 0:b end"}, {"a /* never closed", "0:a end"},
        {"a\t\x01\x1F b", "0:a 0:b end"},
        // The working buffer is kept between runs: a short text after a long one must not see it.
        {"b", "0:b end"}, {"7", "1:7 end"}, {"*", "212:* end"},
    };
    Tokens(std::string(5000, 'a'));
    for (const auto& [text, tokens] : cases) {
        bool ok = false;
        std::string got = Tokens(text, false, &ok);
        EXPECT_TRUE(ok) << text;
        EXPECT_EQ(got, tokens) << text;
    }
    // Positions are byte offsets; the end lies past the padding.
    EXPECT_EQ(Tokens("'it\"s'", true), "2:it\"s@1 end@9");
    EXPECT_EQ(Tokens("ab = 12", true), "0:ab@0 101:=@3 1:12@5 end@10");
    EXPECT_EQ(Tokens("", true), "end@3");
    std::string word(200000, 'w');
    word[100000] = '7';
    EXPECT_EQ(Tokens(word), "0:" + word + " end");
    CCode none(nullptr, false);
    TokenArray tokens;
    EXPECT_TRUE(Lexer_Tokenise(&none, &tokens));
    EXPECT_EQ(0, tokens.count);
    TokenArray_Free(&tokens);
}

TEST(Lexer, UnknownCharacterIsReportedAtItsOffset)
{
    bool ok = true;
    Tokens("x = 1;\n  y # 2", false, &ok);
    EXPECT_FALSE(ok);
    EXPECT_EQ("Error in code at line 2:\n     y # 2\n\nat position 5: Unexpected symbol.", g_CodeErrorText);
    Tokens("\x7F", false, &ok);
    EXPECT_FALSE(ok);
}

class NamesTest : public CompilerTest {
  protected:
    void TearDown() override
    {
        Free();
        CompilerTest::TearDown();
    }
    void Free()
    {
        ResolvedArray_Free(&m_Resolved);
        TokenArray_Free(&m_Tokens);
    }
    bool Resolve(const std::string& text)
    {
        Free();
        m_Text = text;
        m_Code = std::make_unique<CCode>(m_Text.c_str(), false);
        return Lexer_Tokenise(m_Code.get(), &m_Tokens) && Resolve_Tokens(m_Code.get(), &m_Tokens, &m_Resolved);
    }
    const ResolvedToken& At(int32_t index) { return m_Resolved.tokens[index]; }

    TokenArray m_Tokens;
    ResolvedArray m_Resolved;
};


TEST_F(NamesTest, VariablesCallablesAndResources)
{
    for (const auto& [text, value] : {std::pair<const char*, double>{"$1F", 31}, {"$fF", 255}, {"$", 0}, {"1.", 1}})
        EXPECT_EQ(value, Resolve_NumberValue(text)) << text;
    // New names become user variables even when only read, with the same identifier later.
    ASSERT_TRUE(Resolve("y = never_assigned_name_4711"));
    EXPECT_EQ(TOKEN_VARIABLE, At(2).kind);
    EXPECT_GE(At(2).id, 100000);
    EXPECT_EQ(At(2).id, Code_Variable_Lookup("never_assigned_name_4711"));
    // A name followed by a parenthesis is a callable; without it the same word is a variable.
    ASSERT_TRUE(Resolve("test_two(a, b)"));
    EXPECT_EQ(TOKEN_FUNCTION, At(0).kind);
    EXPECT_EQ(FunctionId("test_two"), At(0).id);
    Resources(RES_SCRIPT)["scr_jump"] = 7;
    ASSERT_TRUE(Resolve("scr_jump()"));
    EXPECT_EQ(TOKEN_FUNCTION, At(0).kind);
    EXPECT_EQ(100007, At(0).id);
    EXPECT_FALSE(Resolve("a = 1;\nb = no_such_thing(2)"));
    EXPECT_EQ(ProgramError(2, "b = no_such_thing(2)", 5, "Unknown function or script: no_such_thing"),
              g_CodeErrorText);
    EXPECT_EQ(TOKEN_UNRESOLVED_FUNCTION, At(6).kind);
    // Resource names win over constants and variables; sprites are asked before rooms.
    Resources(RES_SPRITE)["spr_player"] = 3;
    Resources(RES_SPRITE)["c_red"] = 9;
    Resources(RES_ROOM)["spr_player"] = 5;
    Resources(RES_OBJECT)["obj_wall"] = 2;
    ASSERT_TRUE(Resolve("spr_player c_red obj_wall c_blue"));
    const double values[] = {3, 9, 2, 16711680};
    for (int32_t i = 0; i < 4; ++i) {
        EXPECT_EQ(TOKEN_CONSTANT, At(i).kind) << i;
        EXPECT_EQ(values[i], double(At(i).value.real)) << i;
    }
}

// The trees as the parser leaves them, before the checks fix owners and fold constants.
class ParserTest : public CompilerTest {
  protected:
    void SetUp() override
    {
        CompilerTest::SetUp();
        m_RunChecks = false;
    }
};

TEST_F(ParserTest, EachMessageAtItsToken)
{
    const std::string wrong = "Wrong number of arguments to function or script.";
    std::string sixteen = "test_any(0";
    for (int i = 1; i < 16; ++i) sixteen += ", " + std::to_string(i);
    EXPECT_TRUE(Compile(sixteen + ")"));
    EXPECT_EQ(16, Root().children[0].childCount);
    Resources(RES_SCRIPT)["scr_move"] = 4;
    EXPECT_EQ("(block (call scr_move 1 2 3))", Tree("scr_move(1, 2, 3)"));
    const struct {
        std::string source;
        int32_t column;
        std::string message;
    } cases[] = {
        {"test_two(1, 2, 3)", 1, wrong}, {sixteen + ", 16)", 1, wrong},
        {"scr_move(" + sixteen.substr(9) + ", 16)", 1, wrong},
        {"a[1,2,3] = 0", 7, "Only 1- and 2-dimensional arrays are supported."},
        {"{ a = 1 }; b = 2", 12, "Program ends before end of the code."},
        {"if a", 5, "Unexpected end of code reached."}, {"{ a = 1", 8, "Symbol  } expected."},
        {"do a = 1 b = 2", 10, "Keyword until expected."},
        {"for i = 0", 5, "Symbol ( expected."}, {"for (i = 0; i < 3; i += 1 a = 1", 27, "Symbol ) expected."},
        {"switch a b = 1", 10, "Symbol {  expected."}, {"case 1 a = 1", 8, "Symbol : expected."},
        {"var z; var x", 12, "Cannot redeclare a builtin variable."},
        {"5 = 3", 1, "Variable name expected."}, {"a.5 = 3", 2, "Assignment operator expected."},
        {"a b", 3, "Assignment operator expected."}, {"a = c_red.", 11, "Variable name expected."},
        {"test_two(1 2)", 12, "Symbol , or ) expected."}, {"test_two(1,", 12, "Symbol ) expected."},
        {"a[1 2] = 0", 5, "Symbol , or ] expected."}, {"a[1", 4, "Symbol ] expected."},
        {"a = ) b = )", 5, "Unexpected symbol in expression."}, // only the first error is kept
    };
    for (const auto& c : cases) EXPECT_EQ(ProgramError(1, c.source, c.column, c.message), Failure(c.source)) << c.source;
    EXPECT_EQ(ProgramError(3, "\tb = ;", 6, "Unexpected symbol in expression."), Failure("x = 1\r\ny = 2\n\tb = ;\nz = 3"));
    EXPECT_EQ("Error in expression: 1 +\n position 4: Unexpected symbol in expression.", Failure("1 +", true));

    // Name resolution makes a callable only of a name before "(": only hand-made tokens get here.
    ResolvedToken tokens[3] = {};
    tokens[0] = {TOKEN_FUNCTION, FunctionId("test_one"), {}, 0};
    tokens[1] = {TOKEN_CONSTANT, 0, {}, 9};
    Value_SetReal(&tokens[1].value, 1);
    tokens[2] = {TOKEN_END, 0, {}, 10};
    ResolvedArray array;
    array.count = 3;
    array.tokens = tokens;
    CCode code("test_one 1", false);
    CodeNode root;
    EXPECT_FALSE(Parse_Program(&code, &array, &root));
    EXPECT_EQ(ProgramError(1, "test_one 1", 10, "Symbol ( expected."), g_CodeErrorText);
    Node_Free(&root);
}

TEST_F(CompilerTest, ChecksFixOwnersFoldConstantsAndMarkCases)
{
    Resources(RES_OBJECT)["obj_door"] = 12;
    const std::pair<const char*, const char*> cases[] = {
        // var makes later uses local, also from a nested block; an indexed local keeps its owner.
        {"i = 1; var i;", "(block (assign= i@-6 1) (var-decl i))"},
        {"if 1 { var j } j = 2", "(block (if 1 (block (var-decl j))) (assign= j@-7 2))"},
        {"var k; k[0] = 1", "(block (var-decl k) (assign= (var k -7 0) 1))"},
        {"globalvar g; g = 1", "(block (globalvar g) (assign= g@-6 1))"},
        // Constant owners fix the variable; with an index it stays a variable node.
        {"other.x = 5", "(block (assign= x@-2 5))"}, {"obj_door.x = global.y + 1", "(block (assign= x@12 (+ y@-5 1)))"},
        {"(100003.6).x = 0", "(block (assign= x@100004 0))"}, {"self.a[3] = 0", "(block (assign= (var a -1 3) 0))"},
        // Operators on constants fold; only the constant part of a mixed expression does.
        {"x = 2 + 3 * 4", "(block (assign= x@-6 14))"}, {"x = y + (2 + 3)", "(block (assign= x@-6 (+ y@-6 5)))"},
        {"x = y + 2 + 3", "(block (assign= x@-6 (+ (+ y@-6 2) 3)))"},
        // Folding goes through the value operators: a text repeats by a whole count (ties to even, none
        // below one or beyond 32 bits), INT_MIN div -1 does not trap, shifts count modulo 32, bitwise
        // operands out of range are INT_MIN, logic takes a half as true, texts compare by bytes.
        {"x = 2.5 * 'ab'", "(block (assign= x@-6 'abab'))"}, {"x = -2 * 'ab'", "(block (assign= x@-6 ''))"},
        {"x = 1000000000000 * 'ab'", "(block (assign= x@-6 ''))"},
        {"x = -2147483648 div -1", "(block (assign= x@-6 -2147483648))"},
        {"x = 1 << -1", "(block (assign= x@-6 -2147483648))"},
        {"x = ~100000000000000000000", "(block (assign= x@-6 2147483647))"}, {"x = 0.49 && 1", "(block (assign= x@-6 0))"},
        {"x = 1 == 1.000001", "(block (assign= x@-6 0))"}, {"x = '\xC3\xA9' > 'z'", "(block (assign= x@-6 1))"},
        {"switch n { case 3: case 'x': case n: case 2 + 3: default: }",
         "(block (switch n@-6 (case! 3) (case! 'x') (case n@-6) (case! 5) default))"},
    };
    for (const auto& [source, tree] : cases) EXPECT_EQ(tree, Tree(source)) << source;
    EXPECT_EQ("12", Tree("2 * (3 + 3)", true));
    // Local names are emptied for each code.
    ASSERT_TRUE(Compile("var only_here; only_here = 1"));
    EXPECT_TRUE(LocalNames_Contains(Code_Variable_Lookup("only_here")));
    EXPECT_EQ("(block (assign= only_here@-6 2))", Tree("only_here = 2"));
    EXPECT_FALSE(LocalNames_Contains(Code_Variable_Lookup("only_here")));
    // Folding failures fail the compilation; the failed tree is released and compiling goes on.
    const struct {
        const char* source;
        int32_t column;
        const char* message;
    } failures[] = {
        {"\"abc\".x = 1", 2, "Left hand side must be a real value."}, {"y = 1 / 0", 9, "Division by 0."},
        {"y = 5 mod 0", 11, "Modulo by 0."},
        {"y = -'a'", 7, "Wrong type of arguments to unary operator."}, {"y = 1 < 'a'", 10, "Cannot compare arguments."},
        {"y = 'a' * 2", 11, "Wrong type of arguments to *."}, {"y = 1 / 'a'", 10, "Wrong type of arguments to /."},
        {"y = 1 div 'a'", 12, "Wrong type of arguments to div."}, {"y = 1 mod 'a'", 12, "Wrong type of arguments to mod."},
        {"y = 1 << 'a'", 11, "Wrong type of arguments for <<."}, {"y = 1 >> 'a'", 11, "Wrong type of arguments for >>."},
        {"y = 1 && 'a'", 11, "Wrong type of arguments for &&."}, {"y = 1 || 'a'", 11, "Wrong type of arguments for ||."},
        {"y = 1 ^^ 'a'", 11, "Wrong type of arguments for ^^."}, {"y = 1 | 'a'", 10, "Wrong type of arguments for |."},
        {"y = 1 & 'a'", 10, "Wrong type of arguments for &."}, {"y = 1 ^ 'a'", 10, "Wrong type of arguments for ^."},
        {"y = 2147483647 * 'abcd'", 19, "String result too long."}, {"y = 5 div 0.5", 11, "Division by 0."},
    };
    for (const auto& f : failures) EXPECT_EQ(ProgramError(1, f.source, f.column, f.message), Failure(f.source));
    EXPECT_EQ(NODE_NONE, Root().kind);
    EXPECT_EQ(0, Root().childCount);
    EXPECT_EQ("(block (assign= y@-6 0.5))", Tree("y = 1 / 2"));
    // Operators the parser never makes are internal errors.
    CCode code("x", true);
    ScriptValue left = {VALUE_REAL, 0, 1.0}, right = {VALUE_REAL, 0, 2.0};
    g_CodeErrorFlag = false;
    EXPECT_FALSE(Operator_Binary(&code, 0, TOKEN_COMMA, &left, &right));
    EXPECT_NE(g_CodeErrorText.find("Internal error: unknown binary operator."), std::string::npos) << g_CodeErrorText;
    g_CodeErrorFlag = false;
    EXPECT_FALSE(Operator_Unary(&code, 0, TOKEN_TIMES, &left));
    EXPECT_NE(g_CodeErrorText.find("Internal error: unknown unary operator."), std::string::npos) << g_CodeErrorText;
}

TEST_F(CompilerTest, TreesFreeWithoutRecursionAndMeasureTheirHeight)
{
    // Far deeper than the parser allows: only Node_Free walks such a tree.
    CodeNode root;
    Node_Init(&root, 0);
    CodeNode* at = &root;
    for (int i = 0; i < 100000; ++i) {
        at->kind = NODE_UNARY;
        at->id = TOKEN_MINUS;
        at = Node_AddChild(at, i);
    }
    Value_SetText(&at->value, "leaf");
    at->kind = NODE_CONSTANT;
    int32_t deepAt = -1;
    EXPECT_EQ(CODE_TREE_HEIGHT_LIMIT + 1, Node_Height(&root, CODE_TREE_HEIGHT_LIMIT, &deepAt));
    EXPECT_EQ(CODE_TREE_HEIGHT_LIMIT - 1, deepAt);
    Node_Free(&root);
    EXPECT_EQ(nullptr, root.children);
    // block, if, block, assignment, *, +, the variable e: the checks gave it no owner child.
    ASSERT_TRUE(Compile("a = b; if c { d = (e + f) * g }"));
    EXPECT_EQ(7, Node_Height(&Root(), CODE_TREE_HEIGHT_LIMIT, nullptr));
}

// The message of the last report, without the text that places it.
std::string Message()
{
    size_t at = g_CodeErrorText.rfind(": ");
    return at == std::string::npos ? g_CodeErrorText : g_CodeErrorText.substr(at + 2);
}

TEST_F(CompilerTest, CompileMakesConstantsExpressionsAndPrograms)
{
    CCode constant("2 * 3", true);
    ASSERT_TRUE(constant.Compile("my expression"));
    EXPECT_EQ(CODE_KIND_CONSTANT, constant.m_Kind);
    EXPECT_EQ(1u, constant.m_Compiled);
    EXPECT_EQ(6.0, double(constant.m_Constant.real));
    EXPECT_STREQ("my_expression", constant.GetName());
    CCode expression("a + 1", true);
    ASSERT_TRUE(expression.Compile(nullptr));
    EXPECT_EQ(CODE_KIND_EXPRESSION, expression.m_Kind);
    CCode twice("x = 1", false);
    ASSERT_TRUE(twice.Compile("twice"));
    EXPECT_FALSE(twice.Compile("twice"));
    EXPECT_EQ(ProgramError(1, "x = 1", 1, "Internal Error: Recompiling compiled code."), g_CodeErrorText);
    // A stale report of earlier code must not hide a new one; a failed compile leaves no tree.
    g_CodeErrorFlag = true;
    g_CodeErrorText = "old";
    CCode broken("x = (1 +", false);
    EXPECT_FALSE(broken.Compile("broken"));
    EXPECT_EQ(0, broken.m_Tree.childCount);
    EXPECT_EQ("Unexpected symbol in expression.", Message());
}


TEST_F(CompilerTest, NestingAndSizeLimits)
{
    for (const std::string& source : {"x = " + Repeat("(", 900) + "y" + Repeat(")", 900), "x = " + Repeat("y + ", 1500) + "y"})
        EXPECT_TRUE(Compile(source)) << source.substr(0, 40);
    const std::string deep[] = {
        Repeat("{", 100000) + Repeat("}", 100000), Repeat("if a ", 100000) + "x = 1", "x = " + Repeat("- ", 100000) + "y",
        "x = " + Repeat("y + ", 100000) + "y", "x = " + Repeat("test_one(", 100000) + "1" + Repeat(")", 100000),
        "x = " + Repeat("a[", 100000) + "1" + Repeat("]", 100000), Repeat("a.", 5000) + "b = 1",
    };
    for (const std::string& source : deep) {
        EXPECT_FALSE(Compile(source)) << source.substr(0, 40);
        EXPECT_EQ("Code is nested too deeply.", Message()) << source.substr(0, 40);
    }
    EXPECT_FALSE(Compile(Repeat("(", 100000) + "1" + Repeat(")", 100000), true));
    EXPECT_EQ("Code is nested too deeply.", Message());
    // Long words and large sources compile; an error late in one gives its line.
    std::string word(1 << 20, 'v');
    EXPECT_TRUE(Compile(word + " = 1; x = " + word));
    EXPECT_EQ(Code_Variable_Lookup(word.c_str()), Root().children[0].children[0].id);
    EXPECT_TRUE(Compile("x = \"" + std::string(1 << 22, 's') + "\""));
    EXPECT_FALSE(Compile(Repeat("x = 1\n", 50000) + "x = )"));
    EXPECT_EQ(ProgramError(50001, "x = )", 5, "Unexpected symbol in expression."), g_CodeErrorText);
}

// Tests here add constants of their own: the table is rebuilt from the built-in list afterwards,
// so that no test sees another's additions.
class ConstantsTest : public CompilerTest {
  protected:
    void SetUp() override
    {
        CompilerTest::SetUp();
        Constant_Clear();
        Constant_Init();
        setenv("KELVARO_HEADLESS", "1", 1);
        TestSwitches_Reload();
    }
    void TearDown() override
    {
        Constant_Clear();
        Constant_Init();
        CompilerTest::TearDown();
    }
    // The value of a word as name resolution sees it, or NaN when nothing has the name.
    static double Value(const char* name)
    {
        ScriptValue value{};
        bool found = Constant_FindValue(name, &value);
        double real = value.real;
        Value_Free(&value);
        return found ? real : std::nan("");
    }
};


TEST_F(ConstantsTest, GameConstantsResourcesAndVirtualButtons)
{
    // A game constant hides the built-in one, for name resolution too; a resource name wins.
    EXPECT_EQ(255.0, Value("c_red"));
    EXPECT_TRUE(Constant_Define("c_red"));
    EXPECT_EQ(0.0, Value("c_red"));
    EXPECT_EQ("(block (assign= x@-6 0))", Tree("x = c_red"));
    Resources(RES_SPRITE)["c_blue"] = 4;
    EXPECT_EQ(4.0, Value("c_blue"));
    // The case-insensitive find is for virtual buttons only; the latest definition wins in both.
    EXPECT_TRUE(std::isnan(Value("VK_LEFT")));
    Constant_AddReal("Vk_Left", 99);
    EXPECT_EQ(99.0, double(Constant_Find("vk_left")->real));
    EXPECT_EQ(37.0, Value("vk_left"));
}

TEST_F(ConstantsTest, DefinedNamesAreTrimmedAndChecked)
{
    EXPECT_TRUE(Constant_Define("  my_const\t "));
    EXPECT_EQ(0.0, Value("my_const"));
    EXPECT_TRUE(Constant_Define("_under9"));
    CapturedConsole log(MainConsole);
    for (const char* bad : std::vector<const char*>{"9lives", "", "   ", nullptr, "has space", "dash-ed"}) EXPECT_FALSE(Constant_Define(bad));
    EXPECT_TRUE(std::isnan(Value("9lives")));
    for (const char* line : {"Constant name 9lives  is not valid.", "Constant name   is not valid.",
                             "Constant name has space  is not valid."})
        EXPECT_NE(std::string::npos, log.Text().find(line)) << log.Text();

    // Preparing the game's constants stops at the first invalid one; a pair without a name is skipped.
    std::vector<std::string> names = {"first_ok", "2bad", "never_defined"};
    std::vector<char*> pointers = {names[0].data(), nullptr, names[1].data(), names[2].data()};
    int32_t savedCount = g_ConstantCount;
    char** savedNames = g_ConstantNames;
    g_ConstantCount = static_cast<int32_t>(pointers.size());
    g_ConstantNames = pointers.data();
    CapturedConsole prepareLog(MainConsole);
    bool prepared = Code_Constant_Prepare();
    g_ConstantCount = savedCount;
    g_ConstantNames = savedNames;
    EXPECT_FALSE(prepared);
    EXPECT_EQ(0.0, Value("first_ok"));
    EXPECT_TRUE(std::isnan(Value("never_defined")));
    EXPECT_NE(std::string::npos, prepareLog.Text().find("Constant name 2bad  is not valid."));
}

} // namespace
