// Work on many entries spread over the processor's cores.
#pragma once

#include <QByteArray>

#include <algorithm>
#include <future>
#include <thread>
#include <vector>

namespace Feedsmith {

// Cuts the positions 0 .. count-1 into one run per core (none for fewer than MinRun positions),
// has build(begin, end) make the bytes of each run, the first on the calling thread and the
// others on threads of their own, and gives the pieces back in order. build must touch nothing
// but what it reads and the bytes it returns.
template<typename Build>
std::vector<QByteArray> buildInPieces(qsizetype count, Build build)
{
    constexpr qsizetype MinRun = 1024;
    constexpr qsizetype MaxPieces = 8;
    const qsizetype cores = qsizetype(std::max(1u, std::thread::hardware_concurrency()));
    const qsizetype pieces = std::clamp<qsizetype>(count / MinRun, 1, std::min(cores, MaxPieces));
    std::vector<QByteArray> out(static_cast<size_t>(pieces));
    std::vector<std::thread> threads;
    threads.reserve(size_t(pieces - 1));
    auto bounds = [count, pieces](qsizetype piece) { return count * piece / pieces; };
    for (qsizetype piece = 1; piece < pieces; ++piece) {
        threads.emplace_back([&out, &build, piece, begin = bounds(piece), end = bounds(piece + 1)] {
            out[size_t(piece)] = build(begin, end);
        });
    }
    out[0] = build(0, bounds(1));
    for (std::thread &thread : threads)
        thread.join();
    return out;
}

// buildInPieces for a count of any size in batches, each piece handed to `sink` as soon as its
// batch is made, the next batch being made meanwhile: at most two batches are held at a time.
// False as soon as the sink refuses a piece.
template<typename Build, typename Sink>
bool streamInPieces(qsizetype count, Build build, Sink sink)
{
    constexpr qsizetype Batch = 4096;
    auto batchFrom = [&](qsizetype first) {
        const qsizetype end = std::min(first + Batch, count);
        return buildInPieces(end - first, [&, first](qsizetype begin, qsizetype stop) {
            return build(first + begin, first + stop);
        });
    };
    std::vector<QByteArray> batch = batchFrom(0);
    for (qsizetype first = 0; first < count; first += Batch) {
        std::future<std::vector<QByteArray>> next;
        if (first + Batch < count)
            next = std::async(std::launch::async, batchFrom, first + Batch);
        bool taken = true;
        for (QByteArray &piece : batch) {
            taken = taken && sink(piece);
            piece = QByteArray();
        }
        if (next.valid())
            batch = next.get(); // waited for even after a refusal: it reads what the caller holds
        if (!taken)
            return false;
    }
    return true;
}

// The pieces one after another, in one array.
inline QByteArray joinPieces(const std::vector<QByteArray> &pieces)
{
    qsizetype total = 0;
    for (const QByteArray &piece : pieces)
        total += piece.size();
    QByteArray joined;
    joined.reserve(total);
    for (const QByteArray &piece : pieces)
        joined += piece;
    return joined;
}

} // namespace Feedsmith
