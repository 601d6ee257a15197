#pragma once
// A reference that never keeps its object alive: it shares the object's
// reference block without counting as an owner, so releasing the last such
// reference never deletes the object, and reading it after the object is
// gone yields null. Pieces refer to their neighbours this way, and puzzle
// records to their items, because neither owns what it points to.

#include <utility>

#include "canvas/auto_ptr.h"

template <class T>
class CRSWeakRef {
 public:
  CRSWeakRef() = default;
  explicit CRSWeakRef(T* object) { Assign(object); }
  CRSWeakRef(const CRSWeakRef& other) : m_block(other.m_block) {
    if (m_block) ++m_block->refCount;
  }
  CRSWeakRef& operator=(const CRSWeakRef& other) {
    if (this != &other) {
      CRSWeakRef copy(other);
      std::swap(m_block, copy.m_block);
    }
    return *this;
  }
  ~CRSWeakRef() { Release(); }

  void Assign(T* object) {
    CRSAutoPtrBlock* block = object ? static_cast<CRSAutoPtrPolymorphicBase*>(object)->GetAutoPtrBlock() : nullptr;
    if (block == m_block) return;
    if (block) ++block->refCount;
    Release();
    m_block = block;
  }
  void Release() {
    if (CRSAutoPtrBlock* old = std::exchange(m_block, nullptr)) CRSAutoPtrPolymorphicBase::ReleaseBlockWithoutDelete(old);
  }

  // The object, or null once it has begun to be destroyed.
  T* get() const { return m_block && m_block->object ? static_cast<T*>(m_block->object) : nullptr; }
  T* operator->() const { return get(); }
  explicit operator bool() const { return get() != nullptr; }

 private:
  CRSAutoPtrBlock* m_block = nullptr;
};
