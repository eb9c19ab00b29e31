#pragma once

#include <cstdint>
#include <random>
#include <string>

namespace kb {

// Uniform random numbers. Each owner (a client, a server, a thread) holds its
// own generator, so tests seed it and get the same game every run.
class Random {
 public:
  explicit Random(uint64_t seed) : engine_(seed) {}
  static Random FromEntropy();

  // Uniform integer in 0..n inclusive; 0 when n <= 0.
  int Next(int n);
  uint32_t Bits() { return static_cast<uint32_t>(engine_()); }

 private:
  std::mt19937_64 engine_;
};

// The calling thread's own generator, seeded from the system's entropy.
Random& ThreadRandom();

// An id that nobody can guess: groups of 8 hexadecimal digits straight from
// the system's entropy.
std::string EntropyId(int groups);

}  // namespace kb
