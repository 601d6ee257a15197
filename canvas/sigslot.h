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

#include <cstddef>
#include <map>
#include <memory>
#include <utility>
#include <vector>

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

class _signal_base : public single_threaded {
 public:
  // Removes every connection to `slots` without telling it (it asked);
  // `count` is how many it holds, so the search can stop at the last one.
  virtual void slot_disconnect(has_slots* slots, std::size_t count) = 0;
};

class has_slots : public single_threaded {
 public:
  has_slots() = default;
  has_slots(const has_slots&) = delete;
  has_slots& operator=(const has_slots&) = delete;
  ~has_slots() override { disconnect_all(); }

  void signal_connect(_signal_base* sender) { ++m_senders[sender]; }
  void signal_disconnect(_signal_base* sender) { m_senders.erase(sender); }

  // Cuts every connection that any signal holds to this object.
  void disconnect_all() {
    // Take the map first: each signal answers by forgetting us, and must not
    // find the map it is being called from half-walked.
    std::map<_signal_base*, std::size_t> senders;
    senders.swap(m_senders);
    for (const auto& [sender, count] : senders) sender->slot_disconnect(this, count);
  }

  std::size_t connected_signal_count() const { return m_senders.size(); }

 private:
  // Each signal connected to, with the number of connections it holds to
  // this object (a signal forgets all of them at once).
  std::map<_signal_base*, std::size_t> m_senders;
};

// One connection: the destination object and a way to call its member
// function. A dead connection has a null destination.
template <class... Args>
class _connection_base {
 public:
  explicit _connection_base(has_slots* dest) : m_dest(dest) {}
  virtual ~_connection_base() = default;
  virtual void emit(Args... args) = 0;

  has_slots* getdest() const { return m_dest; }
  void kill() { m_dest = nullptr; }

 private:
  has_slots* m_dest;
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
    disconnect_all();
    // Tell every emission still on the stack that the signal is gone.
    for (EmitFrame* f = m_frames; f; f = f->outer) f->destroyed = true;
  }

  template <class Dest>
  void connect(Dest* object, void (Dest::*fn)(Args...)) {
    this->lock();
    m_connections.push_back(std::make_unique<_connection<Dest, Args...>>(object, fn));
    static_cast<has_slots*>(object)->signal_connect(this);
    this->unlock();
  }

  // Removes every connection to `object`.
  void disconnect(has_slots* object) {
    if (!object) return;
    this->lock();
    if (RemoveConnectionsTo(object)) object->signal_disconnect(this);
    this->unlock();
  }

  void disconnect_all() {
    this->lock();
    for (auto& c : m_connections) {
      has_slots* dest = c->getdest();
      if (dest) dest->signal_disconnect(this);
    }
    DropAll();
    this->unlock();
  }

  void slot_disconnect(has_slots* object, std::size_t count) override { RemoveConnectionsTo(object, count); }

  bool empty() const {
    for (const auto& c : m_connections)
      if (c->getdest()) return false;
    return true;
  }

  std::size_t connection_count() const {
    std::size_t n = 0;
    for (const auto& c : m_connections)
      if (c->getdest()) ++n;
    return n;
  }

  // Calls every live connection in connection order. Connections made while
  // this emission runs are not called by it.
  void emit(Args... args) {
    this->lock();
    EmitFrame frame{m_frames, false};
    m_frames = &frame;
    const std::size_t count = m_connections.size();
    for (std::size_t i = 0; i < count; ++i) {
      _connection_base<Args...>* c = m_connections[i].get();
      if (!c->getdest()) continue;
      c->emit(args...);
      if (frame.destroyed) return;  // a slot destroyed this signal
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

  // Objects usually go in the order they were connected (a floor of items
  // cleared first to last), so the search starts at the front and stops at
  // the last connection to the object; outside an emission it is erased at
  // once. Scanning and compacting the whole list for each of thousands of
  // departing objects made clearing a large floor quadratic.
  bool RemoveConnectionsTo(has_slots* object, std::size_t count = static_cast<std::size_t>(-1)) {
    std::size_t found = 0;
    for (std::size_t i = 0; i < m_connections.size() && found < count;) {
      if (m_connections[i]->getdest() != object) {
        ++i;
        continue;
      }
      ++found;
      if (m_frames) {
        // An emission is walking the list by index: mark, free later.
        m_connections[i]->kill();
        m_hasDead = true;
        ++i;
      } else {
        m_connections.erase(m_connections.begin() + static_cast<std::ptrdiff_t>(i));
      }
    }
    return found > 0;
  }

  void DropAll() {
    if (m_frames) {
      for (auto& c : m_connections) c->kill();
      m_hasDead = !m_connections.empty();
    } else {
      m_connections.clear();
      m_hasDead = false;
    }
  }

  void Compact() {
    std::erase_if(m_connections, [](const auto& c) { return c->getdest() == nullptr; });
    m_hasDead = false;
  }

  std::vector<std::unique_ptr<_connection_base<Args...>>> m_connections;
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
