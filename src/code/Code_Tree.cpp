#include "code/Code_Tree.h"

#include <cstring>
#include <utility>
#include <vector>

#include "platform/Platform_MemoryManager.h"

void Node_Init(CodeNode* node, int32_t position)
{
    std::memset(node, 0, sizeof *node);
    node->kind = NODE_NONE;
    node->position = position;
}

void Node_Copy(CodeNode* destination, const CodeNode* source)
{
    Node_Init(destination, source->position);
    destination->kind = source->kind;
    destination->id = source->id;
    destination->scope = source->scope;
    Value_Copy(&destination->value, &source->value);
    if (source->childCount <= 0) return;
    size_t bytes = sizeof(CodeNode) * static_cast<size_t>(source->childCount);
    destination->children = static_cast<CodeNode*>(MEM_ALLOC(bytes, true));
    destination->childCount = source->childCount;
    destination->childCapacity = source->childCount;
    for (int32_t i = 0; i < source->childCount; ++i)
        Node_Copy(&destination->children[i], &source->children[i]);
}

void Node_FreeChildren(CodeNode* node)
{
    // Gathers every children block below the node first, so that no tree is too deep to free.
    std::vector<std::pair<CodeNode*, int32_t>> blocks;
    if (node->children != nullptr) blocks.emplace_back(node->children, node->childCount);
    for (size_t at = 0; at < blocks.size(); ++at) {
        CodeNode* block = blocks[at].first;
        for (int32_t i = 0; i < blocks[at].second; ++i) {
            Value_Free(&block[i].value);
            if (block[i].children != nullptr) blocks.emplace_back(block[i].children, block[i].childCount);
        }
    }
    for (const auto& block : blocks)
        MemoryManager::Free(block.first);
    node->children = nullptr;
    node->childCount = 0;
    node->childCapacity = 0;
}

void Node_Free(CodeNode* node)
{
    if (node == nullptr) return;
    Node_FreeChildren(node);
    Value_Free(&node->value);
}

CodeNode* Node_AddChild(CodeNode* node, int32_t position)
{
    if (node->childCount == node->childCapacity) {
        int32_t capacity = node->childCapacity < 4 ? 4 : node->childCapacity * 2;
        node->children = static_cast<CodeNode*>(
            MEM_REALLOC(node->children, sizeof(CodeNode) * static_cast<size_t>(capacity)));
        node->childCapacity = capacity;
    }
    CodeNode* child = &node->children[node->childCount++];
    Node_Init(child, position);
    return child;
}

void Node_SetReal(CodeNode* node, double real)
{
    node->kind = NODE_CONSTANT;
    Value_SetReal(&node->value, real);
}

int32_t Node_Height(const CodeNode* node, int32_t limit, int32_t* deepPosition)
{
    std::vector<std::pair<const CodeNode*, int32_t>> pending{{node, 1}};
    int32_t height = 0;
    while (!pending.empty()) {
        auto [at, depth] = pending.back();
        pending.pop_back();
        if (depth > height) height = depth;
        if (depth > limit) {
            if (deepPosition != nullptr) *deepPosition = at->position;
            return depth;
        }
        for (int32_t i = 0; i < at->childCount; ++i)
            pending.emplace_back(&at->children[i], depth + 1);
    }
    return height;
}
