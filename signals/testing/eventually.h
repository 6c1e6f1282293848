// Tests only: waiting for what another thread (the MIDI worker) does.
#pragma once

#include <chrono>
#include <thread>

// Polls until pred holds, at most two seconds; result pred's last answer.
template <class Pred>
bool Eventually(Pred pred) {
  for (int i = 0; i < 400 && !pred(); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  return pred();
}
