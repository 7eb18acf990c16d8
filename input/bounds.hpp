#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace lsde {

/// What the run holds at its peak: M, C and K, M⁻¹, M⁻¹·C, M⁻¹·K and the n × 2n system matrix.
inline constexpr int kPeakMatricesOfOrderN = 8;

/// What one value of a drive line costs while its block is read: the double, its list node
/// and the allocator's share, the field it was cut from, and its place in the record.
inline constexpr std::uint64_t kBytesPerDriveValue = 80;

/// The machine's physical memory in bytes (0 when the system cannot tell).
std::uint64_t physicalMemoryBytes();

/// The fewest lines a file for size n can hold: the size line, 3n matrix rows, 3n drive lines
/// and the two state rows.
long long minimumLines(int n);

/// The fewest bytes a file for size n can hold: the size line holds n's digits, every matrix
/// and state row n one-digit values and n − 1 commas, every drive line one character; only
/// the last line may lack its line feed. Saturates far beyond any file of the format.
std::uint64_t minimumBytes(int n);

/// Bytes the run needs for matrices of order n (see kPeakMatricesOfOrderN). Saturates.
std::uint64_t matrixBytes(int n);

/// Throws InputError unless a file of `lines` lines and `bytes` bytes can hold a system of
/// size n. Checked before anything of size n × n is allocated.
void requireFileHolds(int n, long long lines, std::size_t bytes);

/// Throws InputError when the matrices of order n would not fit in `available` bytes of
/// memory; 0 means the amount is unknown, and nothing is checked.
void requireMatricesFit(int n, std::uint64_t available);

/// Throws InputError on `line` ("WHO needs about 3.2 GiB of memory, this machine has 2.0 GiB")
/// when `needed` bytes exceed `available`; 0 means the amount is unknown, and nothing is checked.
void requireMemoryFits(std::uint64_t needed, std::uint64_t available, int line,
                       const std::string& who);

/// Throws InputError when a drive block of `values` values, whose frequencies line is line
/// `line`, would not fit in `available` bytes of memory; 0 means unknown.
void requireDriveBlockFits(std::uint64_t values, int line, std::uint64_t available);

}  // namespace lsde
