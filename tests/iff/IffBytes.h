#pragma once
// The IFF tests' fixtures: the shared byte builders, plus a guard for the
// file layer's system calls and a small-stack runner for deep trees.
#include <cstdint>
#include <cstring>
#include <exception>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include <pthread.h>

#include "runtime/FileLayer.h"
#include "tests/support/FileCallsGuard.h"
#include "tests/support/IffBytes.h"

// Runs Work on a thread with a small stack, so that code which recursed once
// per tree level would overflow it and crash the test.
inline void RunWithSmallStack(size_t StackBytes, const std::function<void()>& Work) {
  struct TJob {
    const std::function<void()>* Work;
    std::exception_ptr Error;
  } Job{&Work, nullptr};
  pthread_attr_t Attributes;
  pthread_attr_init(&Attributes);
  pthread_attr_setstacksize(&Attributes, StackBytes);
  pthread_t Thread;
  auto Body = [](void* Arg) -> void* {
    auto* J = static_cast<TJob*>(Arg);
    try {
      (*J->Work)();
    } catch (...) {
      J->Error = std::current_exception();
    }
    return nullptr;
  };
  if (pthread_create(&Thread, &Attributes, Body, &Job) != 0) throw std::runtime_error("cannot start thread");
  pthread_join(Thread, nullptr);
  pthread_attr_destroy(&Attributes);
  if (Job.Error) std::rethrow_exception(Job.Error);
}

// N FORMs, each the only child of the one before it.
inline TBytes NestedForms(size_t Count) {
  TBytes Bytes(Count * 12);
  for (size_t I = 0; I < Count; ++I) {
    uint8_t* At = Bytes.data() + I * 12;
    const uint32_t Size = uint32_t(4 + 12 * (Count - 1 - I));
    std::memcpy(At, "FORM", 4);
    At[4] = uint8_t(Size >> 24), At[5] = uint8_t(Size >> 16), At[6] = uint8_t(Size >> 8), At[7] = uint8_t(Size);
    std::memcpy(At + 8, "NEST", 4);
  }
  return Bytes;
}
