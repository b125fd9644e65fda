#include "line_diff.h"

#include <QHash>

#include <algorithm>
#include <limits>

namespace {

// Work (diagonals visited plus lines compared) that one shortest-script
// search may spend before the anchors are looked for instead. Enough for a
// shortest script of any two texts of up to a thousand lines.
constexpr qsizetype kMyersBudget = 8'000'000;

// Appends runs, joining one to the last when they are of one kind.
class RunList {
public:
    void add(DiffRun::Kind kind, qsizetype oldStart, qsizetype newStart, qsizetype count)
    {
        if (count <= 0)
            return;
        if (!m_runs.isEmpty() && m_runs.last().kind == kind)
            m_runs.last().count += count;
        else
            m_runs.append({kind, oldStart, newStart, count});
    }
    QList<DiffRun> take() { return std::move(m_runs); }

private:
    QList<DiffRun> m_runs;
};

struct Range {
    qsizetype aLo;
    qsizetype aHi;
    qsizetype bLo;
    qsizetype bHi;
};

// Myers' greedy search for a shortest edit script of a[r] into b[r], with
// every step's furthest points kept to walk the path back. False, adding
// nothing, when the work would exceed the budget.
bool shortestScript(const LineIds &a, const LineIds &b, const Range &r, RunList &out)
{
    const qsizetype n = r.aHi - r.aLo;
    const qsizetype m = r.bHi - r.bLo;
    if (n + m >= std::numeric_limits<qint32>::max() / 2)
        return false;
    const quint32 *pa = a.data() + r.aLo;
    const quint32 *pb = b.data() + r.bLo;
    const qsizetype maxD = n + m;
    // v[k + offset]: the furthest x reached on diagonal k (y = x - k).
    // A search long enough to need more steps has used up the budget anyway.
    const qsizetype limit = std::min<qsizetype>(maxD, 8192);
    std::vector<qint32> v(size_t(2 * limit + 3), 0);
    // The trace of step d holds v[-d..d]: it starts at d * d.
    std::vector<qint32> trace;
    qsizetype work = 0;
    qsizetype found = -1;
    const qsizetype offset = limit + 1;
    for (qsizetype d = 0; d <= maxD; ++d) {
        if (d > limit)
            return false;
        for (qsizetype k = -d; k <= d; k += 2) {
            qint32 x = (k == -d || (k != d && v[k - 1 + offset] < v[k + 1 + offset])) ? v[k + 1 + offset]
                                                                                      : v[k - 1 + offset] + 1;
            const qint32 start = x;
            qint32 y = qint32(x - k);
            while (x < n && y < m && pa[x] == pb[y]) {
                ++x;
                ++y;
            }
            work += 1 + (x - start);
            v[k + offset] = x;
            if (x >= n && y >= m) {
                found = d;
                break;
            }
        }
        trace.insert(trace.end(), v.begin() + (offset - d), v.begin() + (offset + d + 1));
        if (found >= 0)
            break;
        if (work > kMyersBudget)
            return false;
    }

    // Back from the end: each step is one line removed or added, after
    // which a snake of equal lines leads to the point reached.
    struct Step {
        DiffRun::Kind kind;
        qsizetype x;
        qsizetype y;
        qsizetype count;
    };
    std::vector<Step> steps;
    qsizetype x = n;
    qsizetype y = m;
    for (qsizetype d = found; d > 0; --d) {
        const qint32 *prev = trace.data() + (d - 1) * (d - 1) + (d - 1);
        const qsizetype k = x - y;
        const bool down = k == -d || (k != d && prev[k - 1] < prev[k + 1]);
        const qsizetype prevK = down ? k + 1 : k - 1;
        const qsizetype prevX = prev[prevK];
        const qsizetype prevY = prevX - prevK;
        const qsizetype midX = down ? prevX : prevX + 1;
        const qsizetype midY = down ? prevY + 1 : prevY;
        steps.push_back({DiffRun::Same, midX, midY, x - midX});
        if (down)
            steps.push_back({DiffRun::Added, prevX, prevY, 1});
        else
            steps.push_back({DiffRun::Removed, prevX, prevY, 1});
        x = prevX;
        y = prevY;
    }
    steps.push_back({DiffRun::Same, 0, 0, x});
    for (auto it = steps.rbegin(); it != steps.rend(); ++it)
        out.add(it->kind, r.aLo + it->x, r.bLo + it->y, it->count);
    return true;
}

// The lines that occur exactly once in a[r] and once in b[r], as pairs of
// positions, the longest chain of them that is in order in both texts.
std::vector<std::pair<qsizetype, qsizetype>> uniqueAnchors(const LineIds &a, const LineIds &b, const Range &r,
                                                           quint32 idCount)
{
    // Line numbers are dense: a table by number, for the range only touched.
    struct Seen {
        qint32 inA = 0;
        qint32 inB = 0;
        qsizetype posB = 0;
    };
    std::vector<Seen> seen(idCount);
    for (qsizetype i = r.aLo; i < r.aHi; ++i)
        ++seen[a[size_t(i)]].inA;
    for (qsizetype j = r.bLo; j < r.bHi; ++j) {
        Seen &s = seen[b[size_t(j)]];
        if (s.inA) {
            ++s.inB;
            s.posB = j;
        }
    }
    std::vector<std::pair<qsizetype, qsizetype>> pairs;
    for (qsizetype i = r.aLo; i < r.aHi; ++i) {
        const Seen &s = seen[a[size_t(i)]];
        if (s.inA == 1 && s.inB == 1)
            pairs.emplace_back(i, s.posB);
    }
    // Longest increasing run of b positions (patience sorting).
    std::vector<qsizetype> tails;
    std::vector<qsizetype> before(pairs.size(), -1);
    for (qsizetype p = 0; p < qsizetype(pairs.size()); ++p) {
        const auto pos =
            std::lower_bound(tails.begin(), tails.end(), pairs[size_t(p)].second,
                             [&](qsizetype t, qsizetype value) { return pairs[size_t(t)].second < value; });
        if (pos != tails.begin())
            before[size_t(p)] = *(pos - 1);
        if (pos == tails.end())
            tails.push_back(p);
        else
            *pos = p;
    }
    std::vector<std::pair<qsizetype, qsizetype>> chain;
    for (qsizetype p = tails.empty() ? -1 : tails.back(); p >= 0; p = before[size_t(p)])
        chain.push_back(pairs[size_t(p)]);
    std::reverse(chain.begin(), chain.end());
    return chain;
}

// Between two Same runs, every removed line comes first, then every added one.
QList<DiffRun> grouped(const QList<DiffRun> &runs)
{
    RunList out;
    for (qsizetype i = 0; i < runs.size();) {
        if (runs[i].kind == DiffRun::Same) {
            out.add(DiffRun::Same, runs[i].oldStart, runs[i].newStart, runs[i].count);
            ++i;
            continue;
        }
        const qsizetype oldStart = runs[i].oldStart;
        const qsizetype newStart = runs[i].newStart;
        qsizetype removed = 0;
        qsizetype added = 0;
        for (; i < runs.size() && runs[i].kind != DiffRun::Same; ++i)
            (runs[i].kind == DiffRun::Removed ? removed : added) += runs[i].count;
        out.add(DiffRun::Removed, oldStart, newStart, removed);
        out.add(DiffRun::Added, oldStart + removed, newStart, added);
    }
    return out.take();
}

} // namespace

void numberLines(const QList<QByteArrayView> &oldLines, const QList<QByteArrayView> &newLines, LineIds &oldIds,
                 LineIds &newIds)
{
    QHash<QByteArrayView, quint32> numbers;
    numbers.reserve(oldLines.size());
    const auto number = [&numbers](QByteArrayView line) {
        auto it = numbers.constFind(line);
        if (it == numbers.constEnd())
            it = numbers.insert(line, quint32(numbers.size()));
        return *it;
    };
    oldIds.clear();
    newIds.clear();
    oldIds.reserve(size_t(oldLines.size()));
    newIds.reserve(size_t(newLines.size()));
    for (QByteArrayView line : oldLines)
        oldIds.push_back(number(line));
    for (QByteArrayView line : newLines)
        newIds.push_back(number(line));
}

QList<DiffRun> diffLines(const LineIds &a, const LineIds &b)
{
    quint32 idCount = 0;
    for (const LineIds *lines : {&a, &b})
        for (quint32 id : *lines)
            idCount = std::max(idCount, id + 1);
    RunList out;
    // Ranges still to compare, and Same runs to emit, taken last in first out:
    // pushed in reverse order, they come out in text order.
    struct Task {
        Range r;
        bool same;
    };
    std::vector<Task> tasks{{{0, qsizetype(a.size()), 0, qsizetype(b.size())}, false}};
    while (!tasks.empty()) {
        Task task = tasks.back();
        tasks.pop_back();
        Range r = task.r;
        if (task.same) {
            out.add(DiffRun::Same, r.aLo, r.bLo, r.aHi - r.aLo);
            continue;
        }
        qsizetype prefix = 0;
        while (r.aLo + prefix < r.aHi && r.bLo + prefix < r.bHi
               && a[size_t(r.aLo + prefix)] == b[size_t(r.bLo + prefix)])
            ++prefix;
        out.add(DiffRun::Same, r.aLo, r.bLo, prefix);
        r.aLo += prefix;
        r.bLo += prefix;
        qsizetype suffix = 0;
        while (r.aHi - suffix > r.aLo && r.bHi - suffix > r.bLo
               && a[size_t(r.aHi - suffix - 1)] == b[size_t(r.bHi - suffix - 1)])
            ++suffix;
        r.aHi -= suffix;
        r.bHi -= suffix;
        if (suffix)
            tasks.push_back({{r.aHi, r.aHi + suffix, r.bHi, r.bHi + suffix}, true});
        if (r.aLo == r.aHi || r.bLo == r.bHi) {
            out.add(DiffRun::Removed, r.aLo, r.bLo, r.aHi - r.aLo);
            out.add(DiffRun::Added, r.aHi, r.bLo, r.bHi - r.bLo);
            continue;
        }
        if (shortestScript(a, b, r, out))
            continue;
        const auto anchors = uniqueAnchors(a, b, r, idCount);
        if (anchors.empty()) {
            // Nothing to hold on to within the budget: the whole range changes.
            out.add(DiffRun::Removed, r.aLo, r.bLo, r.aHi - r.aLo);
            out.add(DiffRun::Added, r.aHi, r.bLo, r.bHi - r.bLo);
            continue;
        }
        qsizetype aEnd = r.aHi;
        qsizetype bEnd = r.bHi;
        for (auto it = anchors.rbegin(); it != anchors.rend(); ++it) {
            tasks.push_back({{it->first + 1, aEnd, it->second + 1, bEnd}, false});
            tasks.push_back({{it->first, it->first + 1, it->second, it->second + 1}, true});
            aEnd = it->first;
            bEnd = it->second;
        }
        tasks.push_back({{r.aLo, aEnd, r.bLo, bEnd}, false});
    }
    return grouped(out.take());
}
