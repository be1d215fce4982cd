#include "wipe/random_letters.h"

#include <chrono>
#include <random>

namespace vlt {

std::string RandomLetters(std::size_t n) {
    static constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    static std::minstd_rand generator(
        static_cast<std::minstd_rand::result_type>(std::chrono::system_clock::now().time_since_epoch().count()));
    std::string name(n, ' ');
    for (char& c : name) {
        const unsigned v = static_cast<unsigned>(generator() >> 8) & 0xFFu;
        c = kAlphabet[v * 62 / 256];
    }
    return name;
}

} // namespace vlt
