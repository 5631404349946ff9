// The generic hash from a 32-bit key to a pointer: a power-of-two bucket array that doubles as the
// hash fills, each bucket a doubly linked chain of nodes in insertion order, the bucket of a key
// being key AND mask. Nodes and buckets come from the memory manager; a lookup allocates nothing,
// and a node given back is kept for the next insertion (instances come and go by the thousand).
#pragma once

#include <cstdint>

#include "platform/Platform_MemoryManager.h"

enum : int32_t {
    HASH_KEEP = 0,    // the value stays as it is
    HASH_RELEASE = 1, // the value is released and deleted
    HASH_FREE = 2,    // only the value's memory-manager block is freed
};

template <typename T>
struct HashNode {
    HashNode* prev;
    HashNode* next;
    uint32_t key;
    T* value;
};

template <typename T>
struct HashBucket {
    HashNode<T>* head;
    HashNode<T>* tail;
};

// How a value leaves the hash in the releasing mode; the value type's own deletion by default.
template <typename T>
inline void Hash_ReleaseValue(T* value)
{
    delete value;
}

template <typename T>
class Hash {
public:
    // The bucket count must be a power of two.
    explicit Hash(uint32_t bucketCount) : m_Mask(bucketCount - 1), m_Count(0)
    {
        m_pBuckets = static_cast<HashBucket<T>*>(MEM_ALLOC(sizeof(HashBucket<T>) * bucketCount, true));
    }
    ~Hash()
    {
        Clear(HASH_KEEP);
        while (m_pSpare != nullptr) {
            HashNode<T>* next = m_pSpare->next;
            MemoryManager::Free(m_pSpare);
            m_pSpare = next;
        }
        MemoryManager::Free(m_pBuckets);
    }
    Hash(const Hash&) = delete;
    Hash& operator=(const Hash&) = delete;

    // A new node at the tail of the key's bucket. The buckets double first once they hold twice as
    // many nodes as there are buckets: a lookup in a busy room then walks a node or two, not dozens
    // each on a cache line of its own.
    HashNode<T>* Insert(uint32_t key, T* value)
    {
        if (static_cast<uint32_t>(m_Count) >= 2 * (m_Mask + 1)) Grow();
        HashNode<T>* node = m_pSpare;
        if (node != nullptr) m_pSpare = node->next;
        else node = static_cast<HashNode<T>*>(MEM_ALLOC(sizeof(HashNode<T>), false));
        HashBucket<T>& bucket = m_pBuckets[key & m_Mask];
        node->prev = bucket.tail;
        node->next = nullptr;
        node->key = key;
        node->value = value;
        if (bucket.tail != nullptr) bucket.tail->next = node;
        else bucket.head = node;
        bucket.tail = node;
        ++m_Count;
        return node;
    }

    // The value of the first node with the key, or null.
    T* Find(uint32_t key) const
    {
        for (HashNode<T>* node = m_pBuckets[key & m_Mask].head; node != nullptr; node = node->next) {
            if (node->key == key) return node->value;
        }
        return nullptr;
    }

    // Removes the first node with the key; false when there is none.
    bool Delete(uint32_t key, int32_t mode) { return DeleteMatching(key, nullptr, mode); }
    // Removes the node that holds exactly this value under the key; false when there is none.
    bool DeleteValue(uint32_t key, T* value, int32_t mode) { return DeleteMatching(key, value, mode); }

    // Empties every bucket, from the last to the first.
    void Clear(int32_t mode)
    {
        for (int64_t b = static_cast<int64_t>(m_Mask); b >= 0; --b) {
            HashBucket<T>& bucket = m_pBuckets[b];
            HashNode<T>* node = bucket.head;
            bucket.head = nullptr;
            bucket.tail = nullptr;
            while (node != nullptr) {
                HashNode<T>* next = node->next;
                Dispose(node->value, mode);
                MemoryManager::Free(node);
                --m_Count;
                node = next;
            }
        }
    }

    int32_t Count() const { return m_Count; }
    uint32_t Mask() const { return m_Mask; }
    const HashBucket<T>& Bucket(uint32_t index) const { return m_pBuckets[index]; }

private:
    // Twice the buckets: each chain splits between its bucket and the one a mask bit above, both
    // parts keeping their order, so the first node of a key stays the first.
    void Grow()
    {
        uint32_t bucketCount = 2 * (m_Mask + 1);
        auto* buckets = static_cast<HashBucket<T>*>(MEM_ALLOC(sizeof(HashBucket<T>) * bucketCount, true));
        for (uint32_t b = 0; b <= m_Mask; ++b) {
            for (HashNode<T>* node = m_pBuckets[b].head; node != nullptr;) {
                HashNode<T>* next = node->next;
                HashBucket<T>& to = buckets[node->key & (bucketCount - 1)];
                node->prev = to.tail;
                node->next = nullptr;
                if (to.tail != nullptr) to.tail->next = node;
                else to.head = node;
                to.tail = node;
                node = next;
            }
        }
        MemoryManager::Free(m_pBuckets);
        m_pBuckets = buckets;
        m_Mask = bucketCount - 1;
    }

    // A type with a deallocation of its own (an instance starts inside its block) frees through it.
    static void FreeBlock(T* value)
    {
        if constexpr (requires { T::operator delete(value); }) T::operator delete(value);
        else MemoryManager::Free(value);
    }
    static void Dispose(T* value, int32_t mode)
    {
        if (mode == HASH_RELEASE) Hash_ReleaseValue(value);
        else if (mode == HASH_FREE) FreeBlock(value);
    }

    bool DeleteMatching(uint32_t key, T* value, int32_t mode)
    {
        HashBucket<T>& bucket = m_pBuckets[key & m_Mask];
        for (HashNode<T>* node = bucket.head; node != nullptr; node = node->next) {
            if (node->key != key || (value != nullptr && node->value != value)) continue;
            if (node->prev != nullptr) node->prev->next = node->next;
            else bucket.head = node->next;
            if (node->next != nullptr) node->next->prev = node->prev;
            else bucket.tail = node->prev;
            T* held = node->value;
            node->next = m_pSpare;
            m_pSpare = node;
            --m_Count;
            Dispose(held, mode);
            return true;
        }
        return false;
    }

    HashBucket<T>* m_pBuckets;
    uint32_t m_Mask;
    int32_t m_Count;
    HashNode<T>* m_pSpare = nullptr; // nodes given back, linked through next
};

// Walks every value of a hash, bucket by bucket, each chain in order. The hash must not change
// during the walk, except that the value just returned may be deleted once Next has moved on.
template <typename T>
class HashIterator {
public:
    explicit HashIterator(const Hash<T>& hash) : m_Bucket(0), m_pNode(nullptr), m_pHash(&hash) {}

    T* Start()
    {
        m_Bucket = 0;
        m_pNode = nullptr;
        return Next();
    }

    T* Next()
    {
        if (m_Bucket < 0) return nullptr;
        if (m_pNode != nullptr) {
            m_pNode = m_pNode->next;
            if (m_pNode != nullptr) return m_pNode->value;
            ++m_Bucket;
        }
        while (static_cast<int64_t>(m_Bucket) <= static_cast<int64_t>(m_pHash->Mask()) &&
               m_pHash->Bucket(static_cast<uint32_t>(m_Bucket)).head == nullptr) {
            ++m_Bucket;
        }
        if (static_cast<int64_t>(m_Bucket) > static_cast<int64_t>(m_pHash->Mask())) {
            m_Bucket = -1;
            m_pNode = nullptr;
            return nullptr;
        }
        m_pNode = m_pHash->Bucket(static_cast<uint32_t>(m_Bucket)).head;
        return m_pNode->value;
    }

    int32_t BucketIndex() const { return m_Bucket; }

private:
    int32_t m_Bucket;
    HashNode<T>* m_pNode;
    const Hash<T>* m_pHash;
};
