#pragma once
// Observable lifetime: the reference block every framework object owns and the
// smart pointer that reads null once its object is gone.
//
// Each CRSAutoPtrPolymorphicBase owns a small heap block holding a reference
// count and a pointer back to the object. Smart pointers hold the block, not
// the object, so they outlive it safely: when the object is destroyed the
// block's object pointer is cleared and every smart pointer reads null; the
// block itself is freed when the last smart pointer lets go of it.
//
// The count is also an ownership count: when the last smart pointer to a live
// object is released, the object is deleted (through its virtual Delete, so a
// receiver that deletes through the event queue does so). An object that no
// smart pointer refers to lives until it is deleted explicitly. Weak
// references (canvas/weak_ref.h) keep a count of their own on the block:
// they keep the block, never the object.

#include <cstdint>
#include <utility>

class CRSAutoPtrPolymorphicBase;

struct CRSAutoPtrBlock {
  std::int32_t refCount = 0;  // owners, and guards kept across a call
  CRSAutoPtrPolymorphicBase* object = nullptr;
  // Weak references (CRSWeakRef): they keep the block, never the object.
  std::int32_t weakCount = 0;
};

class CRSAutoPtrPolymorphicBase {
 public:
  CRSAutoPtrPolymorphicBase();
  CRSAutoPtrPolymorphicBase(const CRSAutoPtrPolymorphicBase&) = delete;
  CRSAutoPtrPolymorphicBase& operator=(const CRSAutoPtrPolymorphicBase&) = delete;
  virtual ~CRSAutoPtrPolymorphicBase();

  // Destroys the object now and frees its memory: from the first step on
  // every smart pointer to it reads null. Receivers override this to honour
  // their deletion mode.
  virtual void Delete();

  CRSAutoPtrBlock* GetAutoPtrBlock() const { return m_block; }
  bool IsBeingDeleted() const { return m_beingDeleted; }

  // Counts taken and dropped without ownership: dropping to zero never deletes
  // the object. Used to keep an object's block (and so the knowledge whether
  // the object still lives) across a call that might destroy it.
  void AddBlockRef() { ++m_block->refCount; }
  void ReleaseBlockRef() { ReleaseBlockWithoutDelete(m_block); }
  static void ReleaseBlockWithoutDelete(CRSAutoPtrBlock* block);
  // Drops one weak reference; frees the block when nothing refers to it.
  static void ReleaseWeakBlock(CRSAutoPtrBlock* block);

 protected:
  // Called first by the destructors of the framework's classes, so that an
  // object destroyed without Delete (a member, a stack object, a plain
  // `delete`) reads null to smart pointers for the whole of its destruction.
  void BeginDestruction();

 private:
  CRSAutoPtrBlock* m_block;
  bool m_beingDeleted = false;
  bool m_holdsBlock = false;  // the destruction's own count on the block
};

// Keeps an object's block alive across a call and answers whether the object
// survived it. Never deletes anything.
class CRSAutoPtrLifeGuard {
 public:
  explicit CRSAutoPtrLifeGuard(CRSAutoPtrPolymorphicBase* object)
      : m_block(object ? object->GetAutoPtrBlock() : nullptr) {
    if (m_block) ++m_block->refCount;
  }
  ~CRSAutoPtrLifeGuard() {
    if (m_block) CRSAutoPtrPolymorphicBase::ReleaseBlockWithoutDelete(m_block);
  }
  CRSAutoPtrLifeGuard(const CRSAutoPtrLifeGuard&) = delete;
  CRSAutoPtrLifeGuard& operator=(const CRSAutoPtrLifeGuard&) = delete;

  bool Alive() const { return m_block && m_block->object; }

 private:
  CRSAutoPtrBlock* m_block;
};

namespace detail {
// Drops one owning count: deletes a live object whose last owner this was,
// frees the block when nothing refers to it any more.
void ReleaseAutoPtrBlock(CRSAutoPtrBlock* block);
}  // namespace detail

// A smart pointer to a framework object. It owns a count on the object's
// block; reading it yields the object, or null once the object is gone.
template <class T>
class CRSAutoPtrPolymorphic {
 public:
  CRSAutoPtrPolymorphic() = default;
  CRSAutoPtrPolymorphic(T* object) { Assign(object); }  // NOLINT: implicit like a pointer
  CRSAutoPtrPolymorphic(const CRSAutoPtrPolymorphic& other) : m_block(other.m_block) {
    if (m_block) ++m_block->refCount;
  }
  CRSAutoPtrPolymorphic(CRSAutoPtrPolymorphic&& other) noexcept : m_block(std::exchange(other.m_block, nullptr)) {}
  template <class U>
  CRSAutoPtrPolymorphic(const CRSAutoPtrPolymorphic<U>& other) {  // NOLINT: upcast like a pointer
    Assign(static_cast<T*>(other.get()));
  }
  ~CRSAutoPtrPolymorphic() { Release(); }

  CRSAutoPtrPolymorphic& operator=(T* object) {
    Assign(object);
    return *this;
  }
  CRSAutoPtrPolymorphic& operator=(const CRSAutoPtrPolymorphic& other) {
    if (other.m_block == m_block) return *this;
    CRSAutoPtrBlock* old = m_block;
    m_block = other.m_block;
    if (m_block) ++m_block->refCount;
    if (old) detail::ReleaseAutoPtrBlock(old);
    return *this;
  }
  CRSAutoPtrPolymorphic& operator=(CRSAutoPtrPolymorphic&& other) noexcept {
    if (this != &other) {
      CRSAutoPtrBlock* old = m_block;
      m_block = std::exchange(other.m_block, nullptr);
      if (old) detail::ReleaseAutoPtrBlock(old);
    }
    return *this;
  }

  // Refers to `object` from now on (null forgets). Assigning the object it
  // already refers to changes nothing.
  void Assign(T* object) {
    CRSAutoPtrBlock* block = object ? static_cast<CRSAutoPtrPolymorphicBase*>(object)->GetAutoPtrBlock() : nullptr;
    if (block == m_block) return;
    if (block) ++block->refCount;
    CRSAutoPtrBlock* old = std::exchange(m_block, block);
    if (old) detail::ReleaseAutoPtrBlock(old);
  }

  // Drops this pointer's count; may delete the object (last owner) or free
  // the block (object already gone).
  void Release() {
    if (CRSAutoPtrBlock* old = std::exchange(m_block, nullptr)) detail::ReleaseAutoPtrBlock(old);
  }

  // Deletes the object first, then lets go of the block.
  void ResetWithDeletion() {
    if (m_block && m_block->object) m_block->object->Delete();
    Release();
  }

  T* get() const { return m_block && m_block->object ? static_cast<T*>(m_block->object) : nullptr; }
  T* operator->() const { return get(); }
  T& operator*() const { return *get(); }
  explicit operator bool() const { return get() != nullptr; }
  operator T*() const { return get(); }  // NOLINT: reads like the raw pointer it stands for

  CRSAutoPtrBlock* block() const { return m_block; }
  // True when both refer to the same object's block, even once it is gone.
  bool SameBlock(const CRSAutoPtrPolymorphicBase* object) const {
    return object && m_block == object->GetAutoPtrBlock();
  }

 private:
  CRSAutoPtrBlock* m_block = nullptr;
};
