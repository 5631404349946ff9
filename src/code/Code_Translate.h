// The translated form of a code buffer: its instructions decoded once into an array that the run
// loop walks by index, with operands ready (constants as numbers, variable operands split, branch
// targets as indices) and a few common sequences joined into one superinstruction; straight runs of
// words over numbers become register sequences, whose items live in registers typed by the words
// instead of on the stack (VMRegisterStepInsn). The words stay as they are: the debugger, the
// disassembler and error positions read them, and the plain loop runs them whenever the debugger
// wants attention or the words were written since the translation.
#pragma once

#include <cstdint>
#include <vector>

#include "code/Code_Emitter.h"
#include "code/Code_Function.h"

class CCode;
class CInstance;
class CVariableList;
struct VariableNode;

// What each translated instruction does. The run loop binds a handler to each kind; the X list keeps
// the two in step.
#define VM_TRANSLATED_KINDS(X)                                                                                       \
    X(End)            /* past the last instruction: the level ends */                                                \
    X(Handover)       /* the plain loop runs from here on */                                                         \
    X(Nothing)        /* an opcode without a meaning, or a break word of another code */                             \
    X(PushImmediate)                                                                                                 \
    X(PushFour)                                                                                                      \
    X(PushEight)                                                                                                     \
    X(PushVariable)   /* a plain variable of a list the loop reaches */                                              \
    X(PushArgument)   /* a built-in variable of self, other or unnamed, argumentN first */                           \
    X(PushElement)    /* an element, the index and instance on the stack */                                          \
    X(PushGeneral)                                                                                                   \
    X(PopGeneral)                                                                                                    \
    X(PopVariable)    /* pop.v.v, pop.v.d and pop.v.i into a plain variable */                                       \
    X(PopElement)     /* the same into an element, the index and instance on the stack */                           \
    X(PopBuiltIn)     /* the same into a built-in variable of self, other or unnamed */                             \
    X(Arithmetic)                                                                                                    \
    X(Bitwise)                                                                                                       \
    X(Compare)                                                                                                       \
    X(Fast)           /* arithmetic or comparison of a pair of types with a handler of its own */                    \
    X(Conv)                                                                                                          \
    X(NegNot)                                                                                                        \
    X(Branch)                                                                                                        \
    X(BranchTrue)                                                                                                    \
    X(BranchFalse)                                                                                                   \
    X(Dup)                                                                                                           \
    X(Popz)                                                                                                          \
    X(Call)                                                                                                          \
    X(CallScript)     /* call.i of a script with at most 16 arguments: id the script's index, constant the count */   \
    X(Ret)                                                                                                           \
    X(Exit)                                                                                                          \
    X(PushEnv)                                                                                                       \
    X(PopEnv)                                                                                                        \
    X(BreakCheck)                                                                                                    \
    X(VarConstBranch) /* push a variable and an integer, compare, branch on the result */                            \
    X(VarConstStore)  /* push a variable and an integer, combine, pop into the same variable */                      \
    X(VarConst)       /* push a variable and an integer, combine, leave the result */                                \
    X(VarConstTest)   /* push a variable and an integer, compare, leave the bool */                                  \
    X(ConstOp)        /* push an integer, combine it with the variable beneath */                                    \
    X(VarConstOp)     /* VarConst, then ConstOp on its result: `(i * 3) mod 7` */                                    \
    X(ArithmeticStore) /* combine the two variable items on top, pop the result into a plain variable */             \
    X(ElementRead)    /* push an integer instance and a variable index, conv.v.i, push that element */               \
    X(ElementStore)   /* the same, popping the variable item beneath into that element */                           \
    X(VariableCombine) /* push a variable, then a joined push or a variable, then ArithmeticStore: `s = s + x` */ \
    X(CountingStep)   /* VarConstStore, a branch back to a VarConstBranch on the same variable: a loop's step */   \
    X(VarConstElementStore) /* VarConst, then ElementStore of its result: `a[i] = i * 2` */                       \
    X(ArgConstBranch) /* VarConstBranch headed by a push of argumentN, its slot found once */                        \
    X(ArgConst)       /* VarConst headed by a push of argumentN, its slot found once */                              \
    X(ArgumentReturn) /* push argumentN, ret.v */                                                                    \
    X(ArithmeticReturn) /* arithmetic on the two variable items on top, ret.v of the result */                    \
    X(TextJoin)       /* texts joined by add (VMTextPiece), popped into a plain variable (`target`) or left */     \
    X(RealSequence)   /* a straight run of words over numbers computed in registers: `registerOps` */

enum class VMKind : uint8_t {
#define VM_KIND_ENUM(name) name,
    VM_TRANSLATED_KINDS(VM_KIND_ENUM)
#undef VM_KIND_ENUM
        Count
};

// A variable access site's memory of where its variable was: valid while the list is the same and
// no node of any list was released since (the variables' generation).
struct VMSiteCache {
    const CVariableList* list = nullptr;
    uint64_t generation = 0;
    VariableNode* node = nullptr;
    // Whether an unnamed variable is a globalvar, as of `globalGeneration` (0: not known).
    uint64_t globalGeneration = 0;
    bool global = false;
    // The instance whose own list `node` was found in, for a site of self or of no named instance
    // (null otherwise): while it is the run's self at the same generation, the node is still its.
    const CInstance* self = nullptr;
    // Where in its list the node was, when the list holds it inside itself (0: not known). Instances
    // of one object that set their variables in the same order have each at the same place, so the
    // next instance's node is found there, whatever the generation.
    int32_t inlineOffset = 0;
};

// The steps of a register sequence. Its items live in numbered registers instead of on the stack:
// register k holds the item k places above the stack the sequence started on, as a double (an
// int32 or bool item as its exact value), its type known from the words. A step that finds an
// operand it cannot take (a variable holding anything but a plain real, a division by zero, a
// variable out of reach) puts the live items on the stack in their types and resumes the words at
// its own word's entry, which then does what the words do, errors included.
#define VM_REGISTER_STEPS(X)                                                                                          \
    X(LoadVariable)  /* a plain variable's real */                                                                   \
    X(LoadLocal)     /* the same for a local */                                                                      \
    X(LoadOther)     /* LoadVariable of a site of other's: other's list found once per run of the steps */           \
    X(LoadArgument)  /* argumentN's real */                                                                          \
    X(LoadBuiltIn)   /* a number field of self or other through its typed getter (made so when bound) */           \
    X(LoadField)     /* the same for a field whose getter only returns a float of the instance: read in place */ \
    X(LoadConstant)                                                                                                  \
    X(Add)                                                                                                           \
    X(Subtract)                                                                                                      \
    X(Multiply)                                                                                                      \
    X(Arithmetic)    /* any other opcode over reals, as the arithmetic word decides it */                           \
    X(IntArithmetic) /* an opcode over two int32 items */                                                           \
    X(Compare)                                                                                                       \
    X(IntCompare)    /* the difference wrapping as an int32 */                                                       \
    X(Truncate)      /* conv of a real to int32 */                                                                   \
    X(Truth)         /* conv of a number to bool */                                                                  \
    X(Logic)         /* and, or or xor of two bools: `x < 0 || x > 624` */                                            \
    X(Store)         /* pop into a plain variable */                                                                 \
    X(StoreBuiltIn)  /* pop into a built-in variable: a settable number field through its typed setter */          \
    X(StoreOther)    /* Store into a site of other's, as LoadOther finds it */                                     \
    X(Branch)        /* bt or bf on the bool on top, the sequence's last step */                                     \
    X(CallBuiltIn)   /* a built-in routine called on the reals on top (the call's entry: id, constant the count); */ \
                     /* a real result goes into its register, any other onto the stack for the words after the call */ \
    X(CallLeaf)      /* the same for a row with a leaf form (bound so): the leaf called on the registers, the */   \
                     /* routine as CallBuiltIn calls it where the leaf declines or calls are traced */            \
    X(LoadElement)   /* an element's real: the instance in `left`, the index in `right` */                           \
    X(StoreElement)  /* a pop into an element: the value in `left`, the instance in `target`, the index in `right` */ \
    X(LoadInstance)  /* a variable of the instance an int32 item names (`obj.x`, `other.x`, through an id): the */ \
                     /* instance in `left`; a number field through its getter (sourceType 1) or read in place */   \
                     /* (2, at `field`), or a list variable's real (0) */                                          \
    X(StoreInstance) /* a pop into a variable of the instance an int32 item names: the instance in `right`, the */ \
                     /* value in `left`; a settable number field through its setter (sourceType 1), or a list */    \
                     /* variable that exists (0) */                                                                 \
    X(StoreBuiltInElement) /* a StoreElement bound so for a built-in array (`alarm[0] = n`): through the row's */ \
                     /* setter, as the words store it, of self or other */                                           \
    X(Copy)          /* dup of one number item: its register copied into the next */                                 \
    X(BranchOut)     /* bt or bf on the bool on top with items live beneath it (a switch's value): taken, they go */ \
                     /* onto the stack and the words go on at the target; not taken, the steps go on */             \
    X(Jump)          /* b, the sequence's last step: the live items (a switch's value) go onto the stack and the */ \
                     /* steps go on at the target as a branch's do */                                                \
    X(Leave)         /* the live items put on the stack, the words go on after the sequence */                       \
    X(Loop)          /* a Leave with nothing live before a loop's counting step back to the sequence: that step */ \
                     /* made here, the steps run again while the loop goes on */                                    \
    X(ConstantAdd)   /* the combining steps again, the right operand the step's constant: the push of */          \
    X(ConstantSubtract) /* an integer or double just before, taken in */                                          \
    X(ConstantMultiply)                                                                                              \
    X(ConstantArithmetic)                                                                                            \
    X(ConstantIntArithmetic)                                                                                         \
    X(ConstantCompare)                                                                                               \
    X(ConstantIntCompare)                                                                                            \
    X(ConstantModulo) /* mod by a whole int32 constant other than 0 */                                             \
    X(ConstantModuloTruncate) /* the same, then conv to int32 of its result: an index `a[i mod 100]` */ \
    X(ConstantLess)   /* ConstantCompare by `less than`, the commonest tests, without the choice of test */ \
    X(ConstantGreater) /* the same by `greater than` */                                                          \
    X(Negate)         /* neg of a real item (a double, or a variable's real) */                                      \
    X(Continue)       /* a Leave with nothing live before another sequence's first word: its steps run on */      \
    X(WithNext)       /* a Leave with nothing live before the popenv of a with block whose body is this one */   \
                      /* sequence: the next instance becomes self and the steps run again, as popenv would */     \
    /* Fused steps: each runs a row of the steps above as one, and those steps follow it as its parts */       \
    /* (VMRegisterStepInsn::parts), run from the first instead whenever it meets a case it does not take. */   \
    X(FieldLess)      /* LoadField, then ConstantLess of it: `x < 0` */                                             \
    X(FieldGreater)   /* LoadField, then ConstantGreater of it */                                                   \
    X(VariableLess)   /* LoadVariable or LoadLocal, then ConstantLess of it */                                      \
    X(VariableGreater) /* the same with ConstantGreater */                                                          \
    X(LoadFields)     /* two LoadFields of one instance into neighbouring registers: `x, y` handed to a call */    \
    X(ConstantFields) /* LoadConstant, then LoadFields into the registers after its: `(x, y, obj)` handed on */     \
    X(FieldAddStore)  /* LoadField, a load of a plain variable, Add of the two, StoreBuiltIn of the sum into a */   \
                      /* field of the same instance: `x += vx` */                                                    \
    X(FieldCombineStore) /* the same with Subtract or Multiply */                                                  \
    X(FieldTestsBranch) /* two FieldLess or FieldGreater of one field, then LogicBranch of the two: */              \
                        /* `if (x < 0 || x > 624)` (secondConstant, testsGreater) */                                  \
    X(NegateVariable) /* a load of a plain variable, Negate, Store into the same variable: `v = -v` */               \
    X(FieldOutsideBranch) /* a FieldTestsBranch of `less than`, then `greater than`, joined by or: a bounds test */   \
    X(LogicBranch)    /* Logic, then the Branch on its bool */                                                       \
    X(TruthBranch)    /* Truth, then the Branch on its bool: a call's result tested */                              \
    X(MeasureVariable) /* a load of a plain variable, then CallBuiltIn of it whose row measures a text (its */    \
                       /* `measure` form): `string_length(s)` without the text copied or the call made */          \
    X(StepVariable)   /* a load of a plain variable, ConstantSubtract of it, Store into the same variable: */       \
                      /* `life -= 1`, run as AddInPlace of the constant negated */                                   \
    X(VariableCompare) /* VariableLess for any ConstantCompare: `life <= 0` */                                       \
    X(VariableTestBranch) /* VariableLess, VariableGreater or VariableCompare, then the Branch on its bool: */     \
                          /* `if (life <= 0)` */                                                                     \
    X(SwitchCases)    /* a switch's case tests as the compiler chains them, each a Copy of the value in `left`, */  \
                      /* ConstantCompare or ConstantIntCompare of the copy by equality and BranchOut on true: */  \
                      /* the first case that holds taken at once; `right` the count of cases, `sourceType` 1 */ \
                      /* when a test is of two int32 items */                                                        \
    X(ElementAtVariable) /* LoadConstant of the instance, a load of a plain variable, Truncate of it, LoadElement */ \
                         /* of the two: `a[i]` read */                                                       \
    X(StoreAtVariable) /* the same ending in StoreElement of the value beneath: `a[i] = v` */                    \
    X(LoadsCallLeaf)  /* two loads of plain variables, then CallLeaf with them on top: `ds_list_find_value(l, j)` */ \
    X(AddModulo)      /* Add, then ConstantModulo of the sum (its divisor in secondConstant): `(a + b) mod k` */     \
    X(ConstantAddModulo) /* the same with ConstantAdd: `(n + 1) mod k` */                                       \
    X(AddStore)       /* a load of a plain variable, ConstantAdd, Store of the sum into a plain variable: `n += 1` */ \
    X(ModuloStore)    /* the same with ConstantModulo: `i = n mod 4` */                                              \
    X(AddModuloStore) /* the same with ConstantAdd, then ConstantModulo (secondConstant): `j = (n + 1) mod 4` */ \
    X(AddInPlace)     /* an AddStore into the variable it loads: `n += 1`, its node found once */                    \
    X(VariableAddStore) /* a load of a plain variable, a load of another (`added`), Add of the two, Store into */  \
                        /* the first: `s += v` */                                                                    \
    X(OtherAddStore)  /* the same into a variable of other's, LoadOther and StoreOther: `other.total += v` */        \
    X(LoadNamedField) /* a load of a plain variable, Truncate of it, LoadInstance of a float field read in place */ \
                      /* of the instance it names: `target.x` */                                                   \
    X(LoadsListRead)  /* LoadsCallLeaf of ds_list_find_value's leaf, its read made in place */                     \
    X(LoadsListReplace) /* LoadsCallLeaf of ds_list_replace's leaf, its replace made in place (the value beneath) */

enum class VMRegisterStep : uint8_t {
#define VM_REGISTER_STEP_ENUM(name) name,
    VM_REGISTER_STEPS(VM_REGISTER_STEP_ENUM)
#undef VM_REGISTER_STEP_ENUM
        Count
};

// The most items a register sequence holds at once: enough for a call of nine arguments with items
// beneath it (draw_sprite_ext), as the step's packed types hold them.
constexpr uint32_t VM_REGISTER_SLOTS = 16;

struct VMTranslatedInsn;

struct VMRegisterStepInsn {
    VMRegisterStep step = VMRegisterStep::Leave; // binding makes a load of no argumentN a built-in's or a Leave
    uint8_t opcode = 0;            // the word's arithmetic or comparison opcode; Branch: bt or bf
    union {
        uint8_t rightType = 0; // the type of the right operand, as the arithmetic word reads it
        uint8_t testsGreater;  // FieldTestsBranch: bit 0 the first test is `greater than`, bit 1 the second;
                               // VariableTestBranch: 1 for `greater than`
        uint8_t casesInRow;    // SwitchCases: 1 when case k tests the whole number `field` + k
    };
    uint8_t sourceType = 0;        // Truth: the type converted
    uint8_t target = 0;            // the register written
    uint8_t left = 0;              // the registers read (a load's: none; a store's value: left)
    uint8_t right = 0;
    uint8_t depth = 0;                       // the items live before the word
    union {
        // Their types, deepest first, four bits each (TypeAt): a type is below 16.
        uint64_t packedTypes = 0;
        // A fused test of a field's: the second test's constant (a fused step never leaves the
        // sequence itself: its parts do, with their own types).
        double secondConstant;
    };
    double constant = 0;                     // LoadConstant's value, a Constant step's right operand
    int32_t entry = 0;                       // the word's entry (Leave: the entry after the sequence)
    uint8_t branchOpcode = 0;                // a fused branch's bt or bf (binding makes its targets)
    uint16_t pastParts = 0;                  // a fused step: the bytes from it to the step after its parts,
                                             // which follow it (0: not fused)
    VMTranslatedInsn* site = nullptr;        // that entry, bound
    // A LoadBuiltIn's typed getter, a StoreBuiltIn's setter, as binding found them in the field's row;
    // a CallLeaf's leaf and a MeasureVariable's form, as binding found them in the function's row; a
    // fused branch's entries to go on at when its test is true and when false.
    union {
        double (*getReal)(CInstance*) = nullptr;
        BuiltinLeaf leaf;
        VMTranslatedInsn* whenTrue;
        bool (*measure)(const ScriptValue* argument, double* result); // MeasureVariable's form
        VMTranslatedInsn* added; // VariableAddStore, OtherAddStore: the second load's site
    };
    union {
        void (*setReal)(CInstance*, double) = nullptr;
        bool (*setElement)(CInstance*, int32_t, const ScriptValue*); // StoreBuiltInElement's row setter
        VMTranslatedInsn* whenFalse;
    };
    int32_t field = 0; // a LoadField's float: its byte place in the instance; a local's load or store: its slot's
                       // place among the level's slots (VMTranslatedInsn::localOffset), bound; SwitchCases in a
                       // row: the first case's number
    int32_t secondField = 0; // LoadFields: the second float's place

    uint8_t TypeAt(uint32_t k) const { return static_cast<uint8_t>((packedTypes >> (4 * k)) & 0xFu); }
    // The types of the `depth` items live before the word.
    void SetTypes(const uint8_t* types, uint32_t count)
    {
        packedTypes = 0;
        for (uint32_t k = 0; k < count; ++k) packedTypes |= static_cast<uint64_t>(types[k] & 0xFu) << (4 * k);
    }
};
static_assert(VM_REGISTER_SLOTS * 4 <= 64, "every live item's type fits the packed types");
// One step to a cache line: the steps a sequence runs lie in as few lines as they can.
static_assert(sizeof(VMRegisterStepInsn) == 64);

// A piece of a TextJoin: a constant text, the text a variable holds, or the text a built-in's text
// form appends for a variable's value (`string(x)`: the push, then the call of one argument).
enum class VMTextPieceHow : uint8_t { Constant, Variable, Appended };

struct VMTextPiece {
    VMTextPieceHow how = VMTextPieceHow::Constant;
    bool argument = false;        // the push is of a built-in variable (argumentN or a number field)
    uint32_t stringIndex = 0;     // Constant: the text's index among the code's strings
    int32_t entry = 0;            // Variable and Appended: the push's entry
    VMTranslatedInsn* site = nullptr; // that entry, bound
    bool (*append)(const ScriptValue* argument, ValueTextBuffer* out) = nullptr; // Appended: the row's form
    bool realsAsText = false; // Appended: the form writes a real as the value's text (realsAsValueText)
};

// The most variables of self's (or of no named instance's) that a run of the register steps finds
// once each and keeps for the run: the sites of each share one place.
constexpr uint8_t VM_RUN_SITES = 16;

// The interpreter's run of a sequence's steps, as the loop binds it (its own type there).
using VMStepsRun = void (*)();

struct VMTranslatedInsn {
    const void* handler = nullptr;  // bound by the run loop from the kind
    const void* fallback = nullptr; // a superinstruction that cannot run whole runs as its first word
    VMKind kind = VMKind::Handover;
    VMKind firstKind = VMKind::Handover; // the kind of the first word of a superinstruction
    uint8_t opcode = 0;                  // the combining opcode of a superinstruction
    uint8_t branchOpcode = 0;            // bt or bf of VarConstBranch
    uint8_t valueType = 0;               // the type a pop stores
    int8_t argumentSlot = -1;            // argumentN's N for a push of a built-in variable, else -1 (bound)
    uint32_t word = 0;                   // the original (first) word
    int32_t at = 0;                      // its code address
    int32_t nextPc = 0;                  // the address after it and its operand
    int32_t target = 0;                  // a branch's target index (VarConstBranch's too); VariableCombine's
                                         // ArithmeticStore entry; CountingStep's VarConstBranch entry;
                                         // VarConstElementStore's ElementStore entry
    int32_t next = 0;                    // the index after a superinstruction's words
    int32_t instance = 0;                // a plain variable's instance (from the word)
    int32_t id = 0;                      // a variable's identifier
    uint32_t variable = 0;               // a variable's whole operand
    int32_t constant = 0;                // an immediate or a superinstruction's integer
    uint8_t operand[8] = {};             // a push's constant bytes
    VMSiteCache cache;
    // The entries that `target` and `next` index, bound with the handler: a jump needs no index
    // arithmetic.
    VMTranslatedInsn* targetEntry = nullptr;
    VMTranslatedInsn* nextEntry = nullptr;
    // A script call's callee as the call last found it, trusted while no code outside the loop has
    // run since (`calleeEpoch`, 0: never found): its code object, its words and its translation's
    // first entry, bound.
    uint64_t calleeEpoch = 0;
    CCode* calleeScript = nullptr;
    const VMBuffer* calleeCode = nullptr;
    VMTranslatedInsn* calleeEntry = nullptr;
    // A RealSequence's steps: the first one's index among the translation's `registerSteps`, bound
    // to a pointer, and the most bytes its words push above the stack it starts on.
    int32_t registerFirst = -1;
    uint32_t registerBytes = 0;
    const VMRegisterStepInsn* registerSteps = nullptr;
    // A TextJoin's pieces: the first one's index among the translation's `textPieces`, bound to a
    // pointer, and their count; the most bytes its words push is in `registerBytes`, the type of
    // the item a join left on the stack in `valueType`.
    int32_t textFirst = -1;
    int32_t textCount = 0;
    const VMTextPiece* textPieces = nullptr;
    // Where a variable's slot lies among its level's local slots (VMLocalSlots), in bytes from the
    // first, or -1. A plain local's site always has one: a local without a slot is left to the
    // general routines.
    int32_t localOffset = -1;
    // A register step's site of a variable of self or of no named instance (a fused element step's:
    // of the instance its constant names) that shares its sequence with another site of the variable:
    // the place of the variable among those a run of the steps finds once each (VM_RUN_SITES: none),
    // and that place's bit (0: none).
    uint8_t runSlot = VM_RUN_SITES;
    uint32_t runBit = 0;
    // A RealSequence's: its steps keep the nodes of its sites that have a place; and the run of its
    // steps that does, or the one that keeps none, bound (chosen from keepsSites at each run instead,
    // the text workload's steps took 0.3% more instructions under g++).
    bool keepsSites = false;
    VMStepsRun stepsRun = nullptr;
};

struct VMTranslation {
    const uint8_t* words = nullptr;
    int32_t size = 0;
    uint64_t epoch = 0;
    bool bound = false;
    std::vector<VMTranslatedInsn> insns; // the instructions in code order, then the End entry
    std::vector<int32_t> indexOfWord;     // by word address / 4: the instruction starting there, or -1
    std::vector<VMRegisterStepInsn> registerSteps; // the RealSequence entries' steps, each sequence's in a row
    std::vector<VMTextPiece> textPieces;            // the TextJoin entries' pieces, each join's in a row
};

// Whether runs may use the translated form (the environment's KELVARO_PLAIN_INTERPRETER=1 says
// no; tests set it either way).
extern bool g_VMTranslate;

// Moves on whenever code words are written in place (breakpoints going in and out), and whenever
// built-in variables are registered (translations find argumentN's slot by its row when bound):
// translations made before are dropped.
extern uint64_t g_VMCodeEpoch;
inline void VM_NoteCodeWritten() { ++g_VMCodeEpoch; }

// Joins of texts whose every piece the TextJoin entry takes (Code_TranslateText.cpp): made before
// the other joined sequences, which leave its head alone.
void VM_JoinTexts(VMTranslation& translation);

// Puts a fused step before each row of a translation's register steps that one can run (its steps
// bound: a LoadField is known only then), and moves the sequences' first steps to match.
void VM_FuseRegisterSteps(VMTranslation& translation);

// The step that ends the steps of a sequence from its first, `first`: its Leave, Branch or Jump.
template <typename Step> Step* VM_SequenceEnd(Step* first)
{
    while (first->step != VMRegisterStep::Leave && first->step != VMRegisterStep::Branch &&
           first->step != VMRegisterStep::Jump)
        ++first;
    return first;
}

// Whether the sequence `head`, whose steps end at `last` (VM_SequenceEnd), is a with block's whole
// body: its words end, nothing live, at the popenv that turns back to its first word.
bool VM_TurnsAsWithBody(const VMRegisterStepInsn& last, const VMTranslatedInsn& head);

// Numbers the register steps' sites of self's variables (and of no named instance's) by variable,
// once the steps are fused: the sites of one variable of one instance item share a place, which a
// run of the steps finds once. Only a sequence that reads its variables again more often than it has
// variables to keep keeps them, and only its sites of a variable it looks up more than once get the
// place: keeping a node costs about what finding it again saves, and a sequence that keeps none runs
// steps that do not look for kept ones. A with block's body that is one sequence keeps other's
// variables too: other stays from instance to instance, so each is found once for the whole with.
void VM_NumberRunSites(VMTranslation& translation);

// The buffer's translation made again (or for the first time); null when runs must use the plain
// loop.
VMTranslation* VM_TranslateAgain(const VMBuffer* buffer);
void VM_FreeTranslation(VMTranslation* translation);

// The buffer's translation, made now when it has none or its words changed since; null when runs
// must use the plain loop.
inline VMTranslation* VM_Translation(const VMBuffer* buffer)
{
    VMTranslation* t = buffer != nullptr ? buffer->m_pTranslation : nullptr;
    if (t != nullptr && g_VMTranslate && t->words == buffer->m_pWords && t->size == buffer->m_Size &&
        t->epoch == g_VMCodeEpoch)
        return t;
    return VM_TranslateAgain(buffer);
}

// The instruction starting at the code address, the End entry for any address past the code or
// before it, or -1 when the address is inside the code but starts no instruction.
inline int32_t VM_TranslatedIndex(const VMTranslation& translation, int32_t pc)
{
    int32_t end = static_cast<int32_t>(translation.insns.size()) - 1;
    uint32_t at = static_cast<uint32_t>(pc);
    if (at >= static_cast<uint32_t>(translation.size)) return end;
    if (at % 4 != 0) return -1;
    return translation.indexOfWord[at / 4];
}
