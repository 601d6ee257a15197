#pragma once
// Typed signals with member-function slots, for the user-interface thread.
//
// A signal keeps its connections in connection order and calls them all,
// synchronously, when it is emitted. Every object whose member functions are
// connected derives from has_slots, which remembers the signals it is
// connected to so that destroying either side cuts every connection between
// them.
//
// Emission is re-entrant and survives what slots commonly do: a slot may
// disconnect itself or any other slot, connect new slots, emit the same signal
// again, destroy another connected object, or destroy the object that owns the
// signal (a button's clicked handler closing the window the button lives in).
// Connections removed during an emission are only marked dead and are freed
// once the outermost emission has returned; the emission loop notices when
// the signal itself was destroyed and stops without touching it again.
//
// Connecting and disconnecting cost the same however many connections a
// signal holds: the connections form a linked list in connection order, and
// each destination keeps its own connections to each signal, so neither side
// ever searches the other.

#include <cstddef>
#include <unordered_map>

namespace sigslot {

// The locking policy. Every signal lives on the user-interface thread, so
// taking and releasing the lock do nothing; the operations stay virtual so
// that a policy with a real lock could be put in later.
class single_threaded {
 public:
  virtual ~single_threaded() = default;
  virtual void lock() {}
  virtual void unlock() {}
};

class has_slots;

// One connection's place in its signal's list (connection order) and in its
// destination's record of what it is connected to. The signal owns it. A
// dead connection has a null destination and is freed once no emission is
// walking the list.
class _connection_link {
 public:
  explicit _connection_link(has_slots* dest) : m_dest(dest) {}
  virtual ~_connection_link() = default;
  _connection_link(const _connection_link&) = delete;
  _connection_link& operator=(const _connection_link&) = delete;

  has_slots* getdest() const { return m_dest; }
  void kill() { m_dest = nullptr; }

  _connection_link* prev = nullptr;
  _connection_link* next = nullptr;
  // The destination's other connections to the same signal.
  _connection_link* nextToSameDest = nullptr;

 private:
  has_slots* m_dest;
};

class _signal_base : public single_threaded {
 public:
  // Removes the connections of `chain` (linked through nextToSameDest), all
  // of which lead to `slots`, without telling it (it asked).
  virtual void slot_disconnect(has_slots* slots, _connection_link* chain) = 0;
};

class has_slots : public single_threaded {
 public:
  has_slots() = default;
  has_slots(const has_slots&) = delete;
  has_slots& operator=(const has_slots&) = delete;
  ~has_slots() override { disconnect_all(); }

  void signal_connect(_signal_base* sender, _connection_link* link) {
    _connection_link*& chain = m_senders[sender];
    link->nextToSameDest = chain;
    chain = link;
  }
  // Forgets the sender; returns the chain of its connections to this object.
  _connection_link* signal_disconnect(_signal_base* sender) {
    const auto it = m_senders.find(sender);
    if (it == m_senders.end()) return nullptr;
    _connection_link* chain = it->second;
    m_senders.erase(it);
    return chain;
  }

  // Cuts every connection that any signal holds to this object.
  void disconnect_all() {
    // Take the map first: each signal answers by forgetting us, and must not
    // find the map it is being called from half-walked.
    std::unordered_map<_signal_base*, _connection_link*> senders;
    senders.swap(m_senders);
    for (const auto& [sender, chain] : senders) sender->slot_disconnect(this, chain);
  }

  std::size_t connected_signal_count() const { return m_senders.size(); }

 private:
  // Each signal connected to, with its connections to this object, so that
  // either side finds them without searching the signal's whole list:
  // thousands of objects leaving one signal cost each only its own.
  std::unordered_map<_signal_base*, _connection_link*> m_senders;
};

template <class... Args>
class _connection_base : public _connection_link {
 public:
  using _connection_link::_connection_link;
  virtual void emit(Args... args) = 0;
};

template <class Dest, class... Args>
class _connection final : public _connection_base<Args...> {
 public:
  using MemFn = void (Dest::*)(Args...);
  _connection(Dest* object, MemFn fn) : _connection_base<Args...>(object), m_object(object), m_fn(fn) {}
  void emit(Args... args) override { (m_object->*m_fn)(args...); }

 private:
  Dest* m_object;
  MemFn m_fn;
};

// The implementation shared by signal0 ... signal3.
template <class... Args>
class _signal_base_n : public _signal_base {
 public:
  _signal_base_n() = default;
  _signal_base_n(const _signal_base_n&) = delete;
  _signal_base_n& operator=(const _signal_base_n&) = delete;

  ~_signal_base_n() override {
    TellDestinations();
    // Emissions still on the stack stop without touching a connection again,
    // so everything goes now.
    FreeAll();
    for (EmitFrame* f = m_frames; f; f = f->outer) f->destroyed = true;
  }

  template <class Dest>
  void connect(Dest* object, void (Dest::*fn)(Args...)) {
    this->lock();
    auto* link = new _connection<Dest, Args...>(object, fn);
    Append(link);
    static_cast<has_slots*>(object)->signal_connect(this, link);
    this->unlock();
  }

  // Removes every connection to `object`.
  void disconnect(has_slots* object) {
    if (!object) return;
    this->lock();
    RemoveChain(object->signal_disconnect(this));
    this->unlock();
  }

  void disconnect_all() {
    this->lock();
    TellDestinations();
    if (m_frames) {
      for (_connection_link* c = m_head; c; c = c->next) c->kill();
      m_hasDead = m_head != nullptr;
    } else {
      FreeAll();
    }
    this->unlock();
  }

  void slot_disconnect(has_slots*, _connection_link* chain) override { RemoveChain(chain); }

  bool empty() const {
    for (const _connection_link* c = m_head; c; c = c->next)
      if (c->getdest()) return false;
    return true;
  }

  std::size_t connection_count() const {
    std::size_t n = 0;
    for (const _connection_link* c = m_head; c; c = c->next)
      if (c->getdest()) ++n;
    return n;
  }

  // Calls every live connection in connection order. Connections made while
  // this emission runs are not called by it.
  void emit(Args... args) {
    this->lock();
    EmitFrame frame{m_frames, false};
    m_frames = &frame;
    // Connections are only marked dead while an emission runs, so the last
    // one and every next pointer stay valid for the whole walk.
    _connection_link* const last = m_tail;
    for (_connection_link* c = m_head; c; c = c->next) {
      if (c->getdest()) {
        static_cast<_connection_base<Args...>*>(c)->emit(args...);
        if (frame.destroyed) return;  // a slot destroyed this signal
      }
      if (c == last) break;
    }
    m_frames = frame.outer;
    if (!m_frames && m_hasDead) Compact();
    this->unlock();
  }

  void operator()(Args... args) { emit(args...); }

 private:
  struct EmitFrame {
    EmitFrame* outer;
    bool destroyed;
  };

  void Append(_connection_link* link) {
    link->prev = m_tail;
    (m_tail ? m_tail->next : m_head) = link;
    m_tail = link;
  }

  void Unlink(_connection_link* link) {
    (link->prev ? link->prev->next : m_head) = link->next;
    (link->next ? link->next->prev : m_tail) = link->prev;
  }

  // Outside an emission a connection goes at once; during one it is marked
  // and freed when the outermost emission has returned.
  void RemoveChain(_connection_link* chain) {
    while (chain) {
      _connection_link* following = chain->nextToSameDest;
      if (m_frames) {
        chain->kill();
        m_hasDead = true;
      } else {
        Unlink(chain);
        delete chain;
      }
      chain = following;
    }
  }

  // Every destination forgets this signal (each one once).
  void TellDestinations() {
    for (_connection_link* c = m_head; c; c = c->next)
      if (has_slots* dest = c->getdest()) dest->signal_disconnect(this);
  }

  void FreeAll() {
    for (_connection_link* c = m_head; c;) {
      _connection_link* following = c->next;
      delete c;
      c = following;
    }
    m_head = m_tail = nullptr;
    m_hasDead = false;
  }

  void Compact() {
    for (_connection_link* c = m_head; c;) {
      _connection_link* following = c->next;
      if (!c->getdest()) {
        Unlink(c);
        delete c;
      }
      c = following;
    }
    m_hasDead = false;
  }

  _connection_link* m_head = nullptr;
  _connection_link* m_tail = nullptr;
  EmitFrame* m_frames = nullptr;  // innermost emission running, if any
  bool m_hasDead = false;
};

using _signal_base0 = _signal_base_n<>;
template <class A1>
using _signal_base1 = _signal_base_n<A1>;
template <class A1, class A2>
using _signal_base2 = _signal_base_n<A1, A2>;
template <class A1, class A2, class A3>
using _signal_base3 = _signal_base_n<A1, A2, A3>;

class signal0 : public _signal_base0 {};
template <class A1>
class signal1 : public _signal_base1<A1> {};
template <class A1, class A2>
class signal2 : public _signal_base2<A1, A2> {};
template <class A1, class A2, class A3>
class signal3 : public _signal_base3<A1, A2, A3> {};

}  // namespace sigslot
