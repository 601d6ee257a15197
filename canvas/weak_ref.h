#pragma once
// A reference that never keeps its object alive: it shares the object's
// reference block but keeps a count of its own on it, apart from the owners'
// count. So it neither deletes the object when it goes nor keeps the object
// alive when the last owner lets go, and reading it after the object is gone
// yields null. Pieces refer to their neighbours this way, puzzle records to
// their items, and listener lists to their listeners, because none of them
// owns what it points to.

#include <utility>

#include "canvas/auto_ptr.h"

template <class T>
class CRSWeakRef {
 public:
  CRSWeakRef() = default;
  explicit CRSWeakRef(T* object) { Assign(object); }
  CRSWeakRef(const CRSWeakRef& other) : m_block(other.m_block) {
    if (m_block) ++m_block->weakCount;
  }
  CRSWeakRef(CRSWeakRef&& other) noexcept : m_block(std::exchange(other.m_block, nullptr)) {}
  CRSWeakRef& operator=(const CRSWeakRef& other) {
    if (this != &other) {
      CRSWeakRef copy(other);
      std::swap(m_block, copy.m_block);
    }
    return *this;
  }
  CRSWeakRef& operator=(CRSWeakRef&& other) noexcept {
    if (this != &other) {
      Release();
      m_block = std::exchange(other.m_block, nullptr);
    }
    return *this;
  }
  ~CRSWeakRef() { Release(); }

  void Assign(T* object) {
    CRSAutoPtrBlock* block = object ? static_cast<CRSAutoPtrPolymorphicBase*>(object)->GetAutoPtrBlock() : nullptr;
    if (block == m_block) return;
    if (block) ++block->weakCount;
    Release();
    m_block = block;
  }
  void Release() {
    if (CRSAutoPtrBlock* old = std::exchange(m_block, nullptr)) CRSAutoPtrPolymorphicBase::ReleaseWeakBlock(old);
  }

  // The object, or null once it has begun to be destroyed.
  T* get() const { return m_block && m_block->object ? static_cast<T*>(m_block->object) : nullptr; }
  T* operator->() const { return get(); }
  explicit operator bool() const { return get() != nullptr; }

  // True when this refers to `object`'s block, even once the object is gone.
  bool SameBlock(const CRSAutoPtrPolymorphicBase* object) const {
    return object && m_block == object->GetAutoPtrBlock();
  }

 private:
  CRSAutoPtrBlock* m_block = nullptr;
};
