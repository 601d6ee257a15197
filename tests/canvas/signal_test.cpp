#include "canvas/sigslot.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "canvas/object.h"
#include "canvas/signal_through_event.h"
#include "platform/message_loop.h"

namespace {

std::vector<std::string> g_log;

struct Listener : sigslot::has_slots {
  std::string name;
  explicit Listener(std::string n) : name(std::move(n)) {}
  void OnPing() { g_log.push_back(name); }
  void OnValue(int v) { g_log.push_back(name + ":" + std::to_string(v)); }
  void OnThree(int a, float b, const std::string& c) {
    g_log.push_back(name + ":" + std::to_string(a) + "," + std::to_string(static_cast<int>(b)) + "," + c);
  }
};

class SignalTest : public ::testing::Test {
 protected:
  void SetUp() override { g_log.clear(); }
};

TEST_F(SignalTest, SlotsRunInConnectionOrderWithTheirArguments) {
  sigslot::signal1<int> sig;
  Listener a("a"), b("b");
  sig.connect(&b, &Listener::OnValue);
  sig.connect(&a, &Listener::OnValue);
  sig(7);
  EXPECT_EQ(g_log, (std::vector<std::string>{"b:7", "a:7"}));

  sigslot::signal3<int, float, const std::string&> three;
  three.connect(&a, &Listener::OnThree);
  three(1, 2.0f, "x");
  EXPECT_EQ(g_log.back(), "a:1,2,x");
}

TEST_F(SignalTest, DestroyingEitherSideCutsTheConnection) {
  auto sig = std::make_unique<sigslot::signal0>();
  {
    Listener gone("gone");
    sig->connect(&gone, &Listener::OnPing);
    EXPECT_EQ(gone.connected_signal_count(), 1u);
  }
  (*sig)();  // must not call the destroyed listener
  EXPECT_TRUE(g_log.empty());
  EXPECT_TRUE(sig->empty());

  Listener stays("stays");
  sig->connect(&stays, &Listener::OnPing);
  sig.reset();
  EXPECT_EQ(stays.connected_signal_count(), 0u) << "the signal told its slots it is gone";
}

TEST_F(SignalTest, DisconnectRemovesEveryConnectionOfThatObjectOnly) {
  sigslot::signal0 sig;
  Listener a("a"), b("b");
  sig.connect(&a, &Listener::OnPing);
  sig.connect(&b, &Listener::OnPing);
  sig.connect(&a, &Listener::OnPing);
  sig.disconnect(&a);
  sig();
  EXPECT_EQ(g_log, (std::vector<std::string>{"b"}));
  EXPECT_EQ(a.connected_signal_count(), 0u);
  sig.disconnect_all();
  EXPECT_EQ(b.connected_signal_count(), 0u);
}

// Slots that change the connection list while the signal is being emitted.
struct Meddler : sigslot::has_slots {
  sigslot::signal0* sig = nullptr;
  Listener* victim = nullptr;
  std::unique_ptr<Listener>* owned = nullptr;
  std::unique_ptr<sigslot::signal0>* ownedSignal = nullptr;
  void DisconnectSelf() {
    g_log.push_back("self");
    sig->disconnect(this);
  }
  void DisconnectOther() {
    g_log.push_back("other");
    sig->disconnect(victim);
  }
  void DestroyOther() {
    g_log.push_back("destroy");
    owned->reset();
  }
  void DestroySignal() {
    g_log.push_back("destroy-signal");
    ownedSignal->reset();
  }
  void ConnectAnother() {
    g_log.push_back("connect");
    sig->connect(victim, &Listener::OnPing);
  }
};

TEST_F(SignalTest, SlotsMayDisconnectThemselvesOrOthersWhileEmitting) {
  sigslot::signal0 sig;
  Meddler self, other;
  Listener later("later");
  self.sig = other.sig = &sig;
  other.victim = &later;
  sig.connect(&self, &Meddler::DisconnectSelf);
  sig.connect(&other, &Meddler::DisconnectOther);
  sig.connect(&later, &Listener::OnPing);
  sig();
  EXPECT_EQ(g_log, (std::vector<std::string>{"self", "other"})) << "a slot disconnected before its turn is skipped";
  g_log.clear();
  sig();
  EXPECT_EQ(g_log, (std::vector<std::string>{"other"}));
  EXPECT_EQ(sig.connection_count(), 1u);
}

TEST_F(SignalTest, SlotMayDestroyALaterListenerOrTheSignalItself) {
  auto sig = std::make_unique<sigslot::signal0>();
  Meddler m;
  auto victim = std::make_unique<Listener>("victim");
  m.sig = sig.get();
  m.owned = &victim;
  m.ownedSignal = &sig;
  sig->connect(&m, &Meddler::DestroyOther);
  sig->connect(victim.get(), &Listener::OnPing);
  sig->connect(&m, &Meddler::DestroySignal);
  Listener after("after");
  sig->connect(&after, &Listener::OnPing);
  (*sig)();
  EXPECT_EQ(g_log, (std::vector<std::string>{"destroy", "destroy-signal"}));
  EXPECT_EQ(sig, nullptr);
  EXPECT_EQ(after.connected_signal_count(), 0u);
  EXPECT_EQ(m.connected_signal_count(), 0u);
}

TEST_F(SignalTest, ConnectionsMadeDuringAnEmissionRunFromTheNextOne) {
  sigslot::signal0 sig;
  Meddler m;
  Listener newcomer("new");
  m.sig = &sig;
  m.victim = &newcomer;
  sig.connect(&m, &Meddler::ConnectAnother);
  sig();
  EXPECT_EQ(g_log, (std::vector<std::string>{"connect"}));
  sig.disconnect(&m);
  g_log.clear();
  sig();
  EXPECT_EQ(g_log, (std::vector<std::string>{"new"}));
}

// ---- signals emitted through the event queue ----

class Button : public CRSObject {
 public:
  explicit Button(CRSObject* parent) : CRSObject(parent, "button") {}
  CRSSignalEmittedTroughEvent1<int> sigClicked;
};

struct ClickHandler : sigslot::has_slots {
  Button* deleteOnClick = nullptr;
  sigslot::signal0* outer = nullptr;
  CRSSignalEmittedTroughEvent0* later = nullptr;
  void OnClicked(int n) {
    g_log.push_back("clicked:" + std::to_string(n));
    if (deleteOnClick) deleteOnClick->Delete();
  }
  void OnOuter() {
    g_log.push_back("outer-begin");
    later->EmitLater();
    g_log.push_back("outer-end");
  }
  void OnLater() { g_log.push_back("later"); }
};

class QueuedSignalTest : public SignalTest {
 protected:
  void TearDown() override { DiscardEvents(); }
  platform::MessageLoop loop;
};

TEST_F(QueuedSignalTest, EmitLaterInsideAHandlerReachesSlotsOnlyAfterTheCurrentMessage) {
  sigslot::signal0 outer;
  CRSSignalEmittedTroughEvent0 later;
  ClickHandler h;
  h.later = &later;
  outer.connect(&h, &ClickHandler::OnOuter);
  later.connect(&h, &ClickHandler::OnLater);
  outer();
  g_log.push_back("handled");
  EXPECT_EQ(g_log, (std::vector<std::string>{"outer-begin", "outer-end", "handled"}));
  loop.PumpMessages(0);
  EXPECT_EQ(g_log.back(), "later");
  EXPECT_EQ(g_log.size(), 4u);
}

TEST_F(QueuedSignalTest, StoredArgumentsArriveInPostingOrder) {
  CRSSignalEmittedTroughEvent2<int, std::string> sig;
  struct Sink : sigslot::has_slots {
    void On(int n, std::string s) { g_log.push_back(std::to_string(n) + s); }
  } sink;
  sig.connect(&sink, &Sink::On);
  std::string text = "a";
  sig.EmitLater(1, text);
  text = "changed";  // the event keeps its own copy
  sig.EmitLater(2, "b");
  loop.PumpMessages(0);
  EXPECT_EQ(g_log, (std::vector<std::string>{"1a", "2b"}));
}

TEST_F(QueuedSignalTest, SlotMayDeleteTheEmitter) {
  CRSObject root;
  auto* button = new Button(&root);
  ClickHandler h;
  h.deleteOnClick = button;
  button->sigClicked.connect(&h, &ClickHandler::OnClicked);
  Listener after("after");
  button->sigClicked.connect(&after, &Listener::OnValue);
  button->sigClicked.EmitLater(5);
  loop.PumpMessages(0);
  EXPECT_EQ(g_log, (std::vector<std::string>{"clicked:5"})) << "slots after the deletion do not run";
  EXPECT_TRUE(root.GetChildren().empty());
  EXPECT_EQ(h.connected_signal_count(), 0u);
}

TEST_F(QueuedSignalTest, EmissionsQueuedForADestroyedEmitterAreDropped) {
  ClickHandler h;
  {
    auto* button = new Button(nullptr);
    button->sigClicked.connect(&h, &ClickHandler::OnClicked);
    button->sigClicked.EmitLater(1);
    button->sigClicked.EmitLater(2);
    button->Delete();
  }
  loop.PumpMessages(0);
  EXPECT_TRUE(g_log.empty());
  EXPECT_EQ(CRSEventDispatcher::Get()->QueuedCount(), 0u);
}

}  // namespace
