#include "canvas/auto_ptr.h"

CRSAutoPtrPolymorphicBase::CRSAutoPtrPolymorphicBase() : m_block(new CRSAutoPtrBlock{0, this}) {}

CRSAutoPtrPolymorphicBase::~CRSAutoPtrPolymorphicBase() {
  BeginDestruction();
  // The count taken by BeginDestruction kept the block alive while the rest
  // of the object was torn down; smart pointers that still hold it free it
  // when they go.
  ReleaseBlockWithoutDelete(m_block);
}

void CRSAutoPtrPolymorphicBase::BeginDestruction() {
  if (!m_beingDeleted) {
    m_beingDeleted = true;
    m_block->object = nullptr;
  }
  if (!m_holdsBlock) {
    m_holdsBlock = true;
    ++m_block->refCount;
  }
}

void CRSAutoPtrPolymorphicBase::Delete() {
  BeginDestruction();
  delete this;
}

void CRSAutoPtrPolymorphicBase::ReleaseBlockWithoutDelete(CRSAutoPtrBlock* block) {
  if (--block->refCount <= 0 && block->weakCount == 0 && !block->object) delete block;
}

void CRSAutoPtrPolymorphicBase::ReleaseWeakBlock(CRSAutoPtrBlock* block) {
  if (--block->weakCount == 0 && block->refCount <= 0 && !block->object) delete block;
}

namespace detail {

void ReleaseAutoPtrBlock(CRSAutoPtrBlock* block) {
  if (--block->refCount > 0) return;
  if (block->object) {
    // The last owner is gone: the object goes with it. Its destruction holds
    // a count of its own, so the block outlives the call.
    block->object->Delete();
  } else if (block->weakCount == 0) {
    delete block;
  }
}

}  // namespace detail
