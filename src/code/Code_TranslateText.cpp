// Joins of texts in the translated form: a statement such as `s = string(x) + ":" + string(n)` is
// words that push each piece, call a built-in on some and add the texts two by two. Its first word's
// entry becomes TextJoin, which writes the pieces' texts one after another and stores the whole (or
// leaves it on the stack) without the items, calls and blocks the words make on the way; the words
// keep their own entries and run whenever a piece is not what the entry takes.
#include <algorithm>
#include <cstring>
#include <vector>

#include "code/Code_Bytecode.h"
#include "code/Code_Function.h"
#include "code/Code_InterpreterState.h"
#include "code/Code_Translate.h"

namespace {

constexpr uint8_t NO_PIECE = 0xFF;

// A built-in call of one argument whose row appends a text for it (`string`).
const BuiltinTextForms* AppendingCall(const VMTranslatedInsn& call)
{
    if (call.kind != VMKind::Call || call.id < 0 || call.constant != 1) return nullptr;
    const FunctionEntry* row = Function_Get(call.id);
    if (row == nullptr || row->argCount != 1 || row->textForms == nullptr || row->textForms->append == nullptr)
        return nullptr;
    return row->textForms;
}

// The piece whose words start at entry `i`: the item type it leaves (NO_PIECE for none) and, in
// `words`, how many words it takes.
uint8_t PieceAt(const VMTranslation& t, size_t i, size_t count, VMTextPiece& piece, size_t& words)
{
    const VMTranslatedInsn& insn = t.insns[i];
    piece = VMTextPiece();
    words = 1;
    if (insn.kind == VMKind::PushGeneral && VM_WordOpcode(insn.word) == VM_OP_PUSH &&
        VM_WordFirstType(insn.word) == VM_TYPE_STRING) {
        std::memcpy(&piece.stringIndex, t.words + insn.at + 4, 4);
        return VM_TYPE_STRING;
    }
    if (insn.kind != VMKind::PushVariable && insn.kind != VMKind::PushArgument) return NO_PIECE;
    piece.entry = static_cast<int32_t>(i);
    piece.argument = insn.kind == VMKind::PushArgument;
    piece.how = VMTextPieceHow::Variable;
    if (i + 1 < count) {
        if (const BuiltinTextForms* forms = AppendingCall(t.insns[i + 1])) {
            piece.how = VMTextPieceHow::Appended;
            piece.append = forms->append;
            piece.realsAsText = forms->realsAsValueText;
            words = 2;
        }
    }
    return VM_TYPE_VARIABLE;
}

bool IsTextType(uint8_t type) { return type == VM_TYPE_STRING || type == VM_TYPE_VARIABLE; }

// An add of the two items on top, both texts as far as the words' types go.
bool AddsTexts(const VMTranslatedInsn& insn, const std::vector<uint8_t>& types)
{
    if ((insn.kind != VMKind::Arithmetic && insn.kind != VMKind::Fast) || VM_WordOpcode(insn.word) != VM_OP_ADD ||
        types.size() < 2)
        return false;
    uint8_t right = VM_WordFirstType(insn.word), left = VM_WordSecondType(insn.word);
    return IsTextType(right) && IsTextType(left) && types[types.size() - 1] == right && types[types.size() - 2] == left;
}

// The longest join starting at entry `i`: pieces and adds that leave one item, at least one piece
// certainly a text (a constant or an appended one: a join of variables alone may be arithmetic).
// Answers the entry after its last add (0: none), with its pieces, the item's type and the most
// bytes the words push.
struct JoinScratch {
    std::vector<uint8_t> types; // the items' types, deepest first
    std::vector<VMTextPiece> taken;
};

size_t JoinAt(const VMTranslation& t, size_t i, JoinScratch& scratch, std::vector<VMTextPiece>& pieces, uint8_t& type,
              uint32_t& mostBytes)
{
    size_t count = t.insns.size() - 1; // without End
    std::vector<uint8_t>& types = scratch.types;
    std::vector<VMTextPiece>& taken = scratch.taken;
    types.clear();
    taken.clear();
    uint32_t bytes = 0, most = 0;
    bool certain = false;
    size_t end = 0;
    for (size_t j = i; j < count;) {
        VMTextPiece piece;
        size_t words = 0;
        uint8_t pushed = PieceAt(t, j, count, piece, words);
        if (pushed != NO_PIECE) {
            certain = certain || piece.how != VMTextPieceHow::Variable;
            taken.push_back(piece);
            types.push_back(pushed);
            bytes += VM_StackSize(pushed);
            most = std::max(most, bytes);
            j += words;
            continue;
        }
        if (!AddsTexts(t.insns[j], types)) break;
        uint8_t right = types.back();
        types.pop_back();
        uint8_t left = types.back();
        types.pop_back();
        uint8_t joined = right == VM_TYPE_VARIABLE || left == VM_TYPE_VARIABLE ? VM_TYPE_VARIABLE : VM_TYPE_STRING;
        bytes -= VM_StackSize(right) + VM_StackSize(left);
        types.push_back(joined);
        bytes += VM_StackSize(joined);
        ++j;
        if (types.size() == 1 && certain) {
            end = j;
            pieces.assign(taken.begin(), taken.end());
            type = joined;
            mostBytes = most;
        }
    }
    return end;
}

// Whether the code holds a piece that is certainly a text: without one, nothing is looked for.
bool HoldsTextPieces(const VMTranslation& t)
{
    for (size_t i = 0; i + 1 < t.insns.size(); ++i) {
        const VMTranslatedInsn& insn = t.insns[i];
        if (insn.kind == VMKind::PushGeneral && VM_WordOpcode(insn.word) == VM_OP_PUSH &&
            VM_WordFirstType(insn.word) == VM_TYPE_STRING)
            return true;
        if (insn.kind == VMKind::Call && AppendingCall(insn) != nullptr) return true;
    }
    return false;
}

} // namespace

void VM_JoinTexts(VMTranslation& t)
{
    if (!HoldsTextPieces(t)) return;
    size_t count = t.insns.size() - 1; // without End
    std::vector<VMTextPiece> pieces;
    JoinScratch scratch;
    for (size_t i = 0; i < count; ++i) {
        // Only a push starts a piece.
        VMKind kind = t.insns[i].kind;
        if (kind != VMKind::PushGeneral && kind != VMKind::PushVariable && kind != VMKind::PushArgument) continue;
        uint8_t type = 0;
        uint32_t mostBytes = 0;
        size_t end = JoinAt(t, i, scratch, pieces, type, mostBytes);
        if (end == 0) continue;
        VMTranslatedInsn& head = t.insns[i];
        const VMTranslatedInsn& after = t.insns[end];
        bool stored = type == VM_TYPE_VARIABLE && after.kind == VMKind::PopVariable && after.valueType == VM_TYPE_VARIABLE;
        head.firstKind = head.kind;
        head.kind = VMKind::TextJoin;
        head.target = stored ? static_cast<int32_t>(end) : -1;
        head.next = static_cast<int32_t>(stored ? end + 1 : end);
        head.valueType = type;
        head.registerBytes = mostBytes;
        head.textFirst = static_cast<int32_t>(t.textPieces.size());
        head.textCount = static_cast<int32_t>(pieces.size());
        t.textPieces.insert(t.textPieces.end(), pieces.begin(), pieces.end());
        i = end - 1;
    }
}
