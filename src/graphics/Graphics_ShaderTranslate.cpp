// HLSL to GLSL 330: glslang's HLSL front end (Direct3D 9 forms) to SPIR-V, then SPIRV-Cross to GLSL,
// with the changes the device needs: constants the code reads at the registers the shaders' target
// assigns (the others left out, as that target leaves them), varyings named by semantic (GLSL 330
// links them by name), vertex inputs at the device's attribute locations, the constant blocks
// renamed, and the fix-ups and alpha test the generated programs also carry.
#include "graphics/Graphics_ShaderTranslate.h"

#include <glslang/MachineIndependent/localintermediate.h>
#include <glslang/Public/ResourceLimits.h>
#include <glslang/Public/ShaderLang.h>
#include <glslang/SPIRV/GlslangToSpv.h>
#include <spirv_cross/spirv_cross_c.h>

#include <algorithm>
#include <cctype>
#include <map>
#include <memory>

#include "graphics/Graphics_DeviceApi.h"

namespace {

constexpr EShMessages HLSL_MESSAGES = EShMessages(EShMsgSpvRules | EShMsgReadHlsl | EShMsgHlslDX9Compatible);

// Direct3D semantics as declaration usages, for the vertex inputs' locations.
struct SemanticUsage {
    const char* name;
    uint8_t usage;
};
const SemanticUsage SEMANTIC_USAGES[] = {
    {"POSITION", D3DDECLUSAGE_POSITION}, {"BLENDWEIGHT", D3DDECLUSAGE_BLENDWEIGHT},
    {"BLENDINDICES", D3DDECLUSAGE_BLENDINDICES}, {"NORMAL", D3DDECLUSAGE_NORMAL},
    {"PSIZE", D3DDECLUSAGE_PSIZE}, {"TEXCOORD", D3DDECLUSAGE_TEXCOORD},
    {"TANGENT", D3DDECLUSAGE_TANGENT}, {"BINORMAL", D3DDECLUSAGE_BINORMAL},
    {"TESSFACTOR", D3DDECLUSAGE_TESSFACTOR}, {"POSITIONT", D3DDECLUSAGE_POSITIONT},
    {"COLOR", D3DDECLUSAGE_COLOR}, {"FOG", D3DDECLUSAGE_FOG},
    {"DEPTH", D3DDECLUSAGE_DEPTH}, {"SAMPLE", D3DDECLUSAGE_SAMPLE},
};

// A semantic upper-cased, with index 0 written out when it has none ("texcoord" is "TEXCOORD0").
std::string SemanticName(const char* semantic)
{
    std::string name;
    for (const char* c = semantic; *c != 0; ++c) name += char(std::toupper(static_cast<unsigned char>(*c)));
    if (name.empty() || std::isdigit(static_cast<unsigned char>(name.back())) == 0) name += '0';
    return name;
}

// Splits "TEXCOORD3" into its base and index.
void SplitSemantic(const std::string& name, std::string& base, int32_t& index)
{
    size_t digits = name.size();
    while (digits > 0 && std::isdigit(static_cast<unsigned char>(name[digits - 1])) != 0) --digits;
    base = name.substr(0, digits);
    index = 0;
    for (size_t i = digits; i < name.size() && index < 1000; ++i) index = index * 10 + (name[i] - '0');
}

int32_t InputLocation(const std::string& semantic)
{
    std::string base;
    int32_t index = 0;
    SplitSemantic(semantic, base, index);
    for (const SemanticUsage& entry : SEMANTIC_USAGES)
        if (base == entry.name && index < 256) return D3D_AttributeLocation(entry.usage, uint8_t(index));
    return -1;
}

// Constant registers as the shaders' own target assigns them. The front end puts a constant bound
// with register(cN) at N * 16 of the global block but packs the others in declaration order from 0,
// over the bound ones' ranges, which the driver refuses. So before the block is laid out every
// member the code reads gets an explicit offset: bound ones at their register, the others at the
// lowest free run of registers in declaration order; the members are then put in register order,
// as GLSL wants explicit offsets to increase, and the member indices of the accesses follow them.
constexpr int32_t REGISTER_BYTES = 16;
constexpr int32_t MOST_REGISTERS = 4096; // far beyond any target; larger bindings are left to the driver

struct PlacedMember {
    glslang::TTypeLoc member;
    int32_t first = -1; // register
    int32_t count = 1;  // registers
    int32_t declared = 0;
};

// A member's matrix layout in the front end's terms: its own, else the block's.
bool RowMajor(const glslang::TType& type, bool blockRowMajor)
{
    glslang::TLayoutMatrix layout = type.getQualifier().layoutMatrix;
    return layout == glslang::ElmNone ? blockRowMajor : layout == glslang::ElmRowMajor;
}

// Registers a member takes: its std140 size in 16-byte vectors, which is one per scalar or vector,
// one per column (or row when row-major) of a matrix, and that times the element count of an array.
int32_t RegisterCount(const glslang::TType& type, bool blockRowMajor)
{
    int size = 0;
    int stride = 0;
    glslang::TIntermediate::getMemberAlignment(type, size, stride, glslang::ElpStd140,
                                               RowMajor(type, blockRowMajor));
    return std::max(1, (size + REGISTER_BYTES - 1) / REGISTER_BYTES);
}

// The lowest register of a free run of `count`.
int32_t FreeRun(const std::vector<bool>& used, int32_t count)
{
    for (int32_t first = 0;; ++first) {
        bool free = true;
        for (int32_t r = first; r < first + count && free; ++r) free = size_t(r) >= used.size() || !used[size_t(r)];
        if (free) return first;
    }
}

void MarkUsed(std::vector<bool>& used, int32_t first, int32_t count)
{
    if (size_t(first + count) > used.size()) used.resize(size_t(first + count), false);
    for (int32_t r = first; r < first + count; ++r) used[size_t(r)] = true;
}

// Assigns registers; false (the block left as the front end laid it out) when a binding or the
// total is out of reach.
bool AssignRegisters(std::vector<PlacedMember>& members)
{
    std::vector<bool> used;
    int64_t total = 0;
    for (PlacedMember& placed : members) {
        total += placed.count;
        const glslang::TQualifier& qualifier = placed.member.type->getQualifier();
        if (placed.count > MOST_REGISTERS) return false;
        if (!qualifier.hasOffset()) continue;
        if (qualifier.layoutOffset < 0 || qualifier.layoutOffset % REGISTER_BYTES != 0 ||
            qualifier.layoutOffset / REGISTER_BYTES + placed.count > MOST_REGISTERS)
            return false;
        placed.first = int32_t(qualifier.layoutOffset / REGISTER_BYTES);
        MarkUsed(used, placed.first, placed.count);
    }
    if (total > MOST_REGISTERS) return false;
    for (PlacedMember& placed : members) {
        if (placed.first >= 0) continue;
        placed.first = FreeRun(used, placed.count);
        MarkUsed(used, placed.first, placed.count);
    }
    return true;
}

// Every access to a member of the block (`block` is its member list), with the index it names.
void FindMemberAccesses(TIntermNode* node, const glslang::TTypeList* block,
                        std::vector<glslang::TIntermConstantUnion*>& out)
{
    if (node == nullptr) return;
    if (glslang::TIntermBinary* binary = node->getAsBinaryNode()) {
        glslang::TIntermConstantUnion* index = binary->getRight()->getAsConstantUnion();
        if (binary->getOp() == glslang::EOpIndexDirectStruct && binary->getLeft()->getType().getStruct() == block &&
            index != nullptr)
            out.push_back(index);
        FindMemberAccesses(binary->getLeft(), block, out);
        FindMemberAccesses(binary->getRight(), block, out);
    } else if (glslang::TIntermAggregate* aggregate = node->getAsAggregate()) {
        for (TIntermNode* child : aggregate->getSequence()) FindMemberAccesses(child, block, out);
    } else if (glslang::TIntermUnary* unary = node->getAsUnaryNode()) {
        FindMemberAccesses(unary->getOperand(), block, out);
    } else if (glslang::TIntermSelection* selection = node->getAsSelectionNode()) {
        FindMemberAccesses(selection->getCondition(), block, out);
        FindMemberAccesses(selection->getTrueBlock(), block, out);
        FindMemberAccesses(selection->getFalseBlock(), block, out);
    } else if (glslang::TIntermLoop* loop = node->getAsLoopNode()) {
        FindMemberAccesses(loop->getBody(), block, out);
        FindMemberAccesses(loop->getTest(), block, out);
        FindMemberAccesses(loop->getTerminal(), block, out);
    } else if (glslang::TIntermBranch* branch = node->getAsBranchNode()) {
        FindMemberAccesses(branch->getExpression(), block, out);
    } else if (glslang::TIntermSwitch* choice = node->getAsSwitchNode()) {
        FindMemberAccesses(choice->getCondition(), block, out);
        FindMemberAccesses(choice->getBody(), block, out);
    }
}

// The global constant block's declaration among the linker objects, or null.
glslang::TType* GlobalBlock(glslang::TIntermediate& intermediate)
{
    // The front end names the block "$Global" unless told otherwise.
    std::string name = intermediate.getGlobalUniformBlockName();
    if (name.empty()) name = "$Global";
    glslang::TIntermAggregate* root = intermediate.getTreeRoot() != nullptr ? intermediate.getTreeRoot()->getAsAggregate() : nullptr;
    if (root == nullptr) return nullptr;
    for (TIntermNode* child : root->getSequence()) {
        glslang::TIntermAggregate* objects = child->getAsAggregate();
        if (objects == nullptr || objects->getOp() != glslang::EOpLinkerObjects) continue;
        for (TIntermNode* object : objects->getSequence()) {
            glslang::TIntermSymbol* symbol = object->getAsSymbolNode();
            if (symbol != nullptr && symbol->getBasicType() == glslang::EbtBlock &&
                symbol->getType().getTypeName().c_str() == name)
                return &symbol->getWritableType();
        }
    }
    return nullptr;
}

// The accesses to the block's members, each node once.
std::vector<glslang::TIntermConstantUnion*> MemberAccesses(glslang::TIntermediate& intermediate,
                                                           const glslang::TTypeList* block)
{
    std::vector<glslang::TIntermConstantUnion*> accesses;
    FindMemberAccesses(intermediate.getTreeRoot(), block, accesses);
    std::sort(accesses.begin(), accesses.end());
    accesses.erase(std::unique(accesses.begin(), accesses.end()), accesses.end());
    return accesses;
}

int32_t AccessedMember(const glslang::TIntermConstantUnion* access)
{
    return access->getConstArray()[0].getIConst();
}

// The block's members that the code reads, in declaration order. The link has already dropped the
// functions the entry point never calls, so every access left in the tree is a read.
std::vector<PlacedMember> ReadMembers(const glslang::TTypeList& list, bool rowMajor,
                                      const std::vector<glslang::TIntermConstantUnion*>& accesses)
{
    std::vector<bool> read(list.size(), false);
    for (const glslang::TIntermConstantUnion* access : accesses) {
        int32_t member = AccessedMember(access);
        if (member >= 0 && size_t(member) < list.size()) read[size_t(member)] = true;
    }
    std::vector<PlacedMember> members;
    for (size_t m = 0; m < list.size(); ++m) {
        if (!read[m]) continue;
        PlacedMember placed;
        placed.member = list[m];
        placed.count = RegisterCount(*list[m].type, rowMajor);
        placed.declared = int32_t(m);
        members.push_back(placed);
    }
    return members;
}

// The block member that a matrix operand is, or an element of: null for anything else (a local
// copy, a parameter).
const glslang::TType* OperandMember(glslang::TIntermTyped* node, const glslang::TTypeList* block)
{
    while (glslang::TIntermBinary* binary = node->getAsBinaryNode()) {
        glslang::TOperator op = binary->getOp();
        if (op == glslang::EOpIndexDirect || op == glslang::EOpIndexIndirect) {
            node = binary->getLeft();
            continue;
        }
        glslang::TIntermConstantUnion* index = binary->getRight()->getAsConstantUnion();
        if (op != glslang::EOpIndexDirectStruct || binary->getLeft()->getType().getStruct() != block ||
            index == nullptr)
            return nullptr;
        int32_t member = AccessedMember(index);
        return member >= 0 && size_t(member) < block->size() ? (*block)[size_t(member)].type : nullptr;
    }
    return nullptr;
}

// A constant's name and its SHADER_PRODUCT_* mask.
using MatrixProducts = std::map<std::string, int32_t>;

// How the code multiplies each constant of the block with a vector. The front end turns HLSL's
// matrices over (an HLSL row is a column of its matrix), so mul(M, v) reaches here as v * M; with a
// row-major layout in its terms, which is HLSL's column packing, that takes the registers as rows.
class ProductFinder : public glslang::TIntermTraverser {
  public:
    ProductFinder(const glslang::TTypeList* block, bool rowMajor, MatrixProducts& products)
        : m_Block(block), m_RowMajor(rowMajor), m_Products(products)
    {
    }

    bool visitBinary(glslang::TVisit, glslang::TIntermBinary* node) override
    {
        bool vectorFirst = node->getOp() == glslang::EOpVectorTimesMatrix;
        if (!vectorFirst && node->getOp() != glslang::EOpMatrixTimesVector) return true;
        const glslang::TType* member =
            OperandMember(vectorFirst ? node->getRight() : node->getLeft(), m_Block);
        if (member != nullptr)
            m_Products[member->getFieldName().c_str()] |=
                vectorFirst == RowMajor(*member, m_RowMajor) ? SHADER_PRODUCT_ROWS : SHADER_PRODUCT_COLUMNS;
        return true;
    }

  private:
    const glslang::TTypeList* m_Block;
    bool m_RowMajor;
    MatrixProducts& m_Products;
};

void FindProducts(glslang::TIntermediate& intermediate, MatrixProducts& products)
{
    glslang::TType* block = GlobalBlock(intermediate);
    if (block == nullptr || block->getStruct() == nullptr || intermediate.getTreeRoot() == nullptr) return;
    ProductFinder finder(block->getStruct(), block->getQualifier().layoutMatrix == glslang::ElmRowMajor,
                         products);
    intermediate.getTreeRoot()->traverse(&finder);
}

// The shaders' target leaves a constant that the code never reads out of its constant table, so
// such a constant takes no register and cannot clash with one that is read (the tools put a header
// of unread constants in front of every shader, bound over the body's registers). The block keeps
// only the read members, placed as above.
void PlaceConstants(glslang::TIntermediate& intermediate)
{
    glslang::TType* block = GlobalBlock(intermediate);
    if (block == nullptr || block->getStruct() == nullptr) return;
    glslang::TTypeList& list = *block->getWritableStruct();
    bool rowMajor = block->getQualifier().layoutMatrix == glslang::ElmRowMajor;
    std::vector<glslang::TIntermConstantUnion*> accesses = MemberAccesses(intermediate, &list);
    std::vector<PlacedMember> members = ReadMembers(list, rowMajor, accesses);
    if (AssignRegisters(members)) {
        // Bound constants that overlap keep their order, and the driver refuses them as it should.
        std::stable_sort(members.begin(), members.end(),
                         [](const PlacedMember& a, const PlacedMember& b) { return a.first < b.first; });
        for (PlacedMember& placed : members)
            placed.member.type->getQualifier().layoutOffset = placed.first * REGISTER_BYTES;
    }
    std::map<int32_t, int32_t> moved;
    list.resize(members.size());
    for (size_t m = 0; m < members.size(); ++m) {
        list[m] = members[m].member;
        moved[members[m].declared] = int32_t(m);
    }
    // Index constants may share their storage, so every index is read before any is rewritten.
    std::vector<int32_t> declared;
    for (glslang::TIntermConstantUnion* access : accesses) declared.push_back(AccessedMember(access));
    for (size_t a = 0; a < accesses.size(); ++a) {
        auto found = moved.find(declared[a]);
        if (found != moved.end())
            const_cast<glslang::TConstUnionArray&>(accesses[a]->getConstArray())[0].setIConst(found->second);
    }
}

// glslang to SPIR-V for one stage; false with the info log on errors.
bool CompileStage(EShLanguage stage, const char* source, std::vector<uint32_t>& spirv, std::string& log,
                  MatrixProducts& products)
{
    glslang::TShader shader(stage);
    shader.setStrings(&source, 1);
    shader.setEntryPoint("main");
    shader.setSourceEntryPoint("main");
    shader.setEnvInput(glslang::EShSourceHlsl, stage, glslang::EShClientOpenGL, 100);
    shader.setEnvClient(glslang::EShClientOpenGL, glslang::EShTargetOpenGL_450);
    shader.setEnvTarget(glslang::EShTargetSpv, glslang::EShTargetSpv_1_0);
    shader.setEnvTargetHlslFunctionality1();
    shader.setHlslIoMapping(true);
    shader.setAutoMapLocations(true);
    shader.setAutoMapBindings(true);
    if (!shader.parse(GetDefaultResources(), 100, false, HLSL_MESSAGES)) {
        log = shader.getInfoLog();
        return false;
    }
    glslang::TProgram program;
    program.addShader(&shader);
    if (!program.link(HLSL_MESSAGES) || !program.mapIO()) {
        log = program.getInfoLog();
        return false;
    }
    glslang::TIntermediate* intermediate = program.getIntermediate(stage);
    if (intermediate == nullptr) {
        log = "no code";
        return false;
    }
    FindProducts(*intermediate, products);
    PlaceConstants(*intermediate);
    glslang::GlslangToSpv(*intermediate, spirv);
    return !spirv.empty();
}

struct ContextDeleter {
    void operator()(spvc_context_s* context) const { spvc_context_destroy(context); }
};
using SpvcContext = std::unique_ptr<spvc_context_s, ContextDeleter>;

int32_t ValueKind(spvc_basetype type)
{
    switch (type) {
    case SPVC_BASETYPE_INT32:
        return SHADER_VALUE_INT;
    case SPVC_BASETYPE_UINT32:
        return SHADER_VALUE_UINT;
    case SPVC_BASETYPE_BOOLEAN:
        return SHADER_VALUE_BOOL;
    default:
        return SHADER_VALUE_FLOAT;
    }
}

const spvc_reflected_resource* Resources(spvc_resources resources, spvc_resource_type type, size_t& count)
{
    const spvc_reflected_resource* list = nullptr;
    count = 0;
    if (spvc_resources_get_resource_list_for_type(resources, type, &list, &count) != SPVC_SUCCESS) count = 0;
    return list;
}

// The stage's constants: the members of its one block (renamed), then its samplers.
void ReflectConstants(spvc_compiler compiler, spvc_resources resources, bool vertex, ShaderTranslation& out)
{
    size_t count = 0;
    const spvc_reflected_resource* blocks = Resources(resources, SPVC_RESOURCE_TYPE_UNIFORM_BUFFER, count);
    for (size_t b = 0; b < count; ++b) {
        spvc_compiler_set_name(compiler, blocks[b].base_type_id, vertex ? SHADER_VERTEX_BLOCK : SHADER_FRAGMENT_BLOCK);
        spvc_type block = spvc_compiler_get_type_handle(compiler, blocks[b].base_type_id);
        size_t blockSize = 0;
        spvc_compiler_get_declared_struct_size(compiler, block, &blockSize);
        out.blockSize[vertex ? 0 : 1] = uint32_t(blockSize);
        for (unsigned m = 0; m < spvc_type_get_num_member_types(block); ++m) {
            spvc_type member = spvc_compiler_get_type_handle(compiler, spvc_type_get_member_type(block, m));
            ShaderConstantInfo info;
            const char* name = spvc_compiler_get_member_name(compiler, blocks[b].base_type_id, m);
            info.name = name != nullptr ? name : "";
            info.vertex = vertex;
            unsigned offset = 0;
            size_t size = 0;
            spvc_compiler_type_struct_member_offset(compiler, block, m, &offset);
            spvc_compiler_get_declared_struct_member_size(compiler, block, m, &size);
            info.offset = int32_t(offset);
            info.size = int32_t(size);
            info.valueKind = ValueKind(spvc_type_get_basetype(member));
            info.columns = int32_t(spvc_type_get_columns(member));
            info.rows = int32_t(spvc_type_get_vector_size(member));
            out.constants.push_back(info);
        }
        break; // Direct3D 9 code has one constant table per stage
    }
    const spvc_reflected_resource* samplers = Resources(resources, SPVC_RESOURCE_TYPE_SAMPLED_IMAGE, count);
    for (size_t i = 0; i < count; ++i) {
        ShaderConstantInfo info;
        info.name = samplers[i].name != nullptr ? samplers[i].name : "";
        info.vertex = vertex;
        info.sampler = true;
        info.offset = int32_t(spvc_compiler_get_decoration(compiler, samplers[i].id, SpvDecorationBinding));
        out.constants.push_back(info);
    }
}

// Varyings by semantic; the vertex stage's inputs at the device's locations and its POSITION
// output as the built-in position.
void NameInterface(spvc_compiler compiler, spvc_resources resources, bool vertex)
{
    size_t count = 0;
    const spvc_reflected_resource* inputs = Resources(resources, SPVC_RESOURCE_TYPE_STAGE_INPUT, count);
    for (size_t i = 0; i < count; ++i) {
        const char* semantic = spvc_compiler_get_decoration_string(compiler, inputs[i].id, SpvDecorationUserSemantic);
        if (semantic == nullptr || *semantic == 0) continue;
        std::string name = SemanticName(semantic);
        if (vertex) {
            int32_t location = InputLocation(name);
            if (location >= 0) spvc_compiler_set_decoration(compiler, inputs[i].id, SpvDecorationLocation, unsigned(location));
            spvc_compiler_set_name(compiler, inputs[i].id, ("in_" + name).c_str());
        } else {
            spvc_compiler_set_name(compiler, inputs[i].id, name.c_str());
        }
    }
    const spvc_reflected_resource* outputs = Resources(resources, SPVC_RESOURCE_TYPE_STAGE_OUTPUT, count);
    for (size_t i = 0; i < count; ++i) {
        const char* semantic = spvc_compiler_get_decoration_string(compiler, outputs[i].id, SpvDecorationUserSemantic);
        if (semantic == nullptr || *semantic == 0) continue;
        std::string name = SemanticName(semantic);
        if (!vertex) {
            spvc_compiler_set_name(compiler, outputs[i].id, ("out_" + name).c_str());
        } else if (name == "POSITION0" || name == "SV_POSITION0") {
            spvc_compiler_unset_decoration(compiler, outputs[i].id, SpvDecorationLocation);
            spvc_compiler_set_decoration(compiler, outputs[i].id, SpvDecorationBuiltIn, SpvBuiltInPosition);
        } else {
            spvc_compiler_set_name(compiler, outputs[i].id, name.c_str());
        }
    }
}

// The first fragment output's name, for the alpha test.
std::string FragmentOutput(spvc_compiler compiler, spvc_resources resources)
{
    size_t count = 0;
    const spvc_reflected_resource* outputs = Resources(resources, SPVC_RESOURCE_TYPE_STAGE_OUTPUT, count);
    if (count == 0) return std::string();
    const char* name = spvc_compiler_get_name(compiler, outputs[0].id);
    return name != nullptr ? name : "";
}

bool CrossCompile(const std::vector<uint32_t>& spirv, bool vertex, ShaderTranslation& out, std::string& glsl,
                  std::string& output)
{
    spvc_context raw = nullptr;
    if (spvc_context_create(&raw) != SPVC_SUCCESS) return false;
    SpvcContext context(raw);
    spvc_parsed_ir ir = nullptr;
    spvc_compiler compiler = nullptr;
    spvc_resources resources = nullptr;
    spvc_compiler_options options = nullptr;
    spvc_set active = nullptr;
    // Only what the entry point uses is declared and reflected: a sampler the code never reads,
    // like an unread constant, is no uniform of the program.
    if (spvc_context_parse_spirv(raw, spirv.data(), spirv.size(), &ir) != SPVC_SUCCESS ||
        spvc_context_create_compiler(raw, SPVC_BACKEND_GLSL, ir, SPVC_CAPTURE_MODE_TAKE_OWNERSHIP, &compiler) !=
            SPVC_SUCCESS ||
        spvc_compiler_get_active_interface_variables(compiler, &active) != SPVC_SUCCESS ||
        spvc_compiler_set_enabled_interface_variables(compiler, active) != SPVC_SUCCESS ||
        spvc_compiler_create_shader_resources_for_active_variables(compiler, &resources, active) !=
            SPVC_SUCCESS ||
        spvc_compiler_create_compiler_options(compiler, &options) != SPVC_SUCCESS)
        return false;
    ReflectConstants(compiler, resources, vertex, out);
    NameInterface(compiler, resources, vertex);
    if (!vertex) output = FragmentOutput(compiler, resources);
    spvc_compiler_options_set_uint(options, SPVC_COMPILER_OPTION_GLSL_VERSION, 330);
    spvc_compiler_options_set_bool(options, SPVC_COMPILER_OPTION_GLSL_ES, SPVC_FALSE);
    spvc_compiler_options_set_bool(options, SPVC_COMPILER_OPTION_GLSL_ENABLE_420PACK_EXTENSION, SPVC_FALSE);
    spvc_compiler_options_set_bool(options, SPVC_COMPILER_OPTION_FLIP_VERTEX_Y, vertex ? SPVC_TRUE : SPVC_FALSE);
    spvc_compiler_options_set_bool(options, SPVC_COMPILER_OPTION_FIXUP_DEPTH_CONVENTION, vertex ? SPVC_TRUE : SPVC_FALSE);
    const char* source = nullptr;
    if (spvc_compiler_install_compiler_options(compiler, options) != SPVC_SUCCESS ||
        spvc_compiler_compile(compiler, &source) != SPVC_SUCCESS || source == nullptr)
        return false;
    glsl = source;
    return true;
}

// Inserts `text` after the leading preprocessor lines: the cross compiler follows `#version` with
// the `#extension` lines (and any guards around them) the program needs, and GLSL refuses an
// `#extension` after a declaration.
void AfterVersion(std::string& glsl, const char* text)
{
    size_t at = 0;
    while (at < glsl.size() && glsl[at] == '#') {
        size_t end = glsl.find('\n', at);
        at = end == std::string::npos ? glsl.size() : end + 1;
    }
    if (at == glsl.size() && !glsl.empty() && glsl.back() != '\n') {
        glsl += '\n';
        at = glsl.size();
    }
    glsl.insert(at, text);
}

// The pixel fix goes in before the flip the cross compiler ends the vertex program with.
bool AddVertexFixups(std::string& glsl)
{
    size_t flip = glsl.rfind("gl_Position.y = -gl_Position.y;");
    if (flip == std::string::npos) return false;
    glsl.insert(flip, "gl_Position.x += gl_Position.w * kv_PixelFix.x;\n    "
                      "gl_Position.y -= gl_Position.w * kv_PixelFix.y;\n    ");
    AfterVersion(glsl, "uniform vec2 kv_PixelFix;\n");
    return true;
}

// The alpha test closes main, the last function the cross compiler writes.
bool AddAlphaTest(std::string& glsl, const std::string& output)
{
    size_t close = glsl.rfind('}');
    if (close == std::string::npos || output.empty()) return false;
    glsl.insert(close, "    if (!kv_AlphaPasses(" + output + ".a)) discard;\n");
    AfterVersion(glsl, "uniform ivec2 kv_AlphaTest;\n"
                       "bool kv_AlphaPasses(float alpha) {\n"
                       "    int a = int(floor(clamp(alpha, 0.0, 1.0) * 255.0 + 0.5));\n"
                       "    int r = kv_AlphaTest.y;\n"
                       "    switch (kv_AlphaTest.x) {\n"
                       "    case 1: return false;\n"
                       "    case 2: return a < r;\n"
                       "    case 3: return a == r;\n"
                       "    case 4: return a <= r;\n"
                       "    case 5: return a > r;\n"
                       "    case 6: return a != r;\n"
                       "    case 7: return a >= r;\n"
                       "    default: return true;\n"
                       "    }\n"
                       "}\n");
    return true;
}

bool Fail(ShaderTranslation& out, int32_t stage, const std::string& log)
{
    out.failedStage = stage;
    out.log = log;
    return false;
}

bool g_ProcessReady = false;

} // namespace

bool ShaderTranslate(const char* vertexHlsl, const char* fragmentHlsl, ShaderTranslation& out)
{
    out = ShaderTranslation();
    ShaderTranslate_Init();
    std::vector<uint32_t> vertexSpirv;
    std::vector<uint32_t> fragmentSpirv;
    MatrixProducts products[2];
    std::string log;
    if (!CompileStage(EShLangVertex, vertexHlsl != nullptr ? vertexHlsl : "", vertexSpirv, log, products[0]))
        return Fail(out, 0, log);
    if (!CompileStage(EShLangFragment, fragmentHlsl != nullptr ? fragmentHlsl : "", fragmentSpirv, log,
                      products[1]))
        return Fail(out, 1, log);
    std::string output;
    std::string unused;
    if (!CrossCompile(vertexSpirv, true, out, out.vertexSource, unused) || !AddVertexFixups(out.vertexSource))
        return Fail(out, 0, "the vertex program cannot be expressed in GLSL");
    if (!CrossCompile(fragmentSpirv, false, out, out.fragmentSource, output) ||
        !AddAlphaTest(out.fragmentSource, output))
        return Fail(out, 1, "the fragment program cannot be expressed in GLSL");
    for (ShaderConstantInfo& info : out.constants) {
        const MatrixProducts& stage = products[info.vertex ? 0 : 1];
        auto found = stage.find(info.name);
        if (found != stage.end()) info.products = found->second;
    }
    return true;
}

void ShaderTranslate_Init()
{
    if (g_ProcessReady) return;
    g_ProcessReady = glslang::InitializeProcess();
}

void ShaderTranslate_Shutdown()
{
    if (!g_ProcessReady) return;
    glslang::FinalizeProcess();
    g_ProcessReady = false;
}
