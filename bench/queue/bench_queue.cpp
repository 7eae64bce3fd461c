// Posting and pumping: the rate at which messages go through the queue.
#include <benchmark/benchmark.h>

#include "queue/cMessageQueue.h"

namespace {

class CountingDispatcher : public lyn::iMessageDispatcher {
 public:
  int64_t taken = 0;
  bool fncbDispatch(lyn::cMessage& message) override {
    taken += message.fncgetMessageName().size() > 0;
    return false;
  }
};

// One million messages posted (alternating arguments so none is a duplicate), then one pump.
void PostAndPumpOneMillion(benchmark::State& state) {
  lyn::cMessageQueue queue;
  CountingDispatcher dispatcher;
  queue.subSetDispatcher(&dispatcher);
  constexpr int32_t kMessages = 1'000'000;
  for (auto _ : state) {
    for (int32_t i = 0; i < kMessages; ++i) queue.subAddMessage("KEYUP", int32_t{39}, i);
    queue.subProcessQue();
  }
  benchmark::DoNotOptimize(dispatcher.taken);
  state.SetItemsProcessed(state.iterations() * kMessages);
}
BENCHMARK(PostAndPumpOneMillion)->Unit(benchmark::kMillisecond);

// The usual case: a few messages per pump turn of the main loop.
void PostAndPumpSmallBatches(benchmark::State& state) {
  lyn::cMessageQueue queue;
  CountingDispatcher dispatcher;
  queue.subSetDispatcher(&dispatcher);
  for (auto _ : state) {
    queue.subAddMessage("NEXTUNIT");
    queue.subAddMessage("UPDATEINTERFACE");
    queue.subAddMessage("START", std::string("userinvoke"));
    queue.subProcessQue();
  }
  state.SetItemsProcessed(state.iterations() * 3);
}
BENCHMARK(PostAndPumpSmallBatches);

}  // namespace
