#pragma once

#include <cstdint>
#include <string_view>

// How the tool reads the camera's reply lines. Plain C++ on byte strings, so
// that arbitrary replies can be fed to it in isolation.
namespace kestrel {

// The four counters of an update status reply.
struct UpdateStatus {
    std::int32_t nEraseTotal = 0;
    std::int32_t nEraseDone = 0;
    std::int32_t nProgramTotal = 0;
    std::int32_t nProgramDone = 0;

    bool operator==(const UpdateStatus&) const = default;
};

// The text that follows the first space; the whole reply when it has none.
std::string_view TextAfterFirstSpace(std::string_view reply);

// A number read as the C library's atoi reads it (leading blanks skipped, an
// optional sign, decimal digits up to the first other byte, 0 when there are
// none), except that a value beyond the 32-bit range saturates instead of
// being undefined.
std::int32_t ReadNumber(std::string_view text);

// The camera model of a type number, empty for an unlisted one.
std::string_view CameraModelName(std::int32_t type);

// The Bayer pattern of a Bayer type number, empty for an unlisted one.
std::string_view BayerPatternName(std::int32_t bayer);

// Reads an update status reply ("<lead> <erase total> <erase done> <program
// total> <program done>"): fields are cut off one space at a time; the
// leading field is skipped; the last number of a reply that ends before the
// fifth field is not taken; two spaces make an empty field that reads 0.
// Only the counters that the reply reaches are overwritten.
void ParseUpdateStatus(std::string_view reply, UpdateStatus& status);

// The reply that means no programming run is in progress.
bool IsIdleStatus(std::string_view reply);

// True while done < total - margin, computed without overflow.
bool PhaseUnfinished(std::int32_t done, std::int32_t total, std::int32_t margin);

// The progress position of a phase: done * 100 / total rounded up, kept
// within 0 to 100; 0 when total is 0.
int ProgressPosition(std::int32_t done, std::int32_t total);

} // namespace kestrel
