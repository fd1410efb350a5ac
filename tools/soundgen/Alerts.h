#pragma once

#include "Signal.h"

#include <array>
#include <cstdint>
#include <string_view>

namespace tessary::soundgen {

// The alert sounds the app can name, plus the beep played for an unknown name.
enum class Alert { Glass, Ping, Pop, Tink, Submarine, Purr, Morse, Hero, Beep };

inline constexpr std::array kAllAlerts = {Alert::Glass,     Alert::Ping, Alert::Pop,   Alert::Tink, Alert::Submarine,
                                          Alert::Purr,      Alert::Morse, Alert::Hero, Alert::Beep};

// The file stem the app plays ("Glass" → Glass.flac; the beep is "beep").
std::string_view alertName(Alert alert);

// A mono one-shot, at most 1.5 s, starting and ending at silence, brought to
// kAlertLoudnessLufs with its peak at most -1 dBFS.
Buffer renderAlert(Alert alert, std::uint64_t seed);

} // namespace tessary::soundgen
