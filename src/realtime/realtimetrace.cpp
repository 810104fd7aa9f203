#include "realtimetrace.h"

RealTimeTrace::RealTimeTrace(int maxBuckets)
    : maxBuckets(qMax(2, maxBuckets & ~1))
{
}

void RealTimeTrace::clear()
{
    perBucket = 1;
    total = 0;
    buckets.clear();
    drawn.clear();
    lastDrawnAt = 0;
}

void RealTimeTrace::appendDrawn(const Bucket& b)
{
    if (b.count == 1 || b.lowAt == b.highAt) {
        drawn << b.low;
    } else if (b.lowAt < b.highAt) {
        drawn << b.low << b.high;
    } else {
        drawn << b.high << b.low;
    }
}

void RealTimeTrace::mergePairs()
{
    QVector<Bucket> merged;
    merged.reserve(buckets.size() / 2);
    for (int i = 0; i + 1 < buckets.size(); i += 2) {
        Bucket m = buckets.at(i);
        const Bucket& next = buckets.at(i + 1);
        if (next.low.y() < m.low.y()) {
            m.low = next.low;
            m.lowAt = next.lowAt;
        }
        if (next.high.y() > m.high.y()) {
            m.high = next.high;
            m.highAt = next.highAt;
        }
        m.count += next.count;
        merged << m;
    }
    buckets.swap(merged);
    perBucket *= 2;
    drawn.clear();
    for (const Bucket& b : qAsConst(buckets)) {
        lastDrawnAt = drawn.size();
        appendDrawn(b);
    }
}

int RealTimeTrace::append(const QPointF& sample)
{
    const int at = total++;
    int changedFrom;
    if (buckets.isEmpty() || buckets.last().count >= perBucket) {
        // Every bucket is full here, so merging pairs leaves full buckets only.
        const bool merge = buckets.size() >= maxBuckets;
        if (merge)
            mergePairs();
        changedFrom = merge ? 0 : drawn.size();
        Bucket b;
        b.low = b.high = sample;
        b.lowAt = b.highAt = at;
        b.count = 1;
        buckets << b;
        lastDrawnAt = drawn.size();
        drawn << sample;
        return changedFrom;
    }
    Bucket& b = buckets.last();
    ++b.count;
    const bool lower = sample.y() < b.low.y();
    const bool higher = sample.y() > b.high.y();
    if (!lower && !higher)
        return drawn.size(); // within the stretch's range: nothing new to draw
    if (lower) {
        b.low = sample;
        b.lowAt = at;
    }
    if (higher) {
        b.high = sample;
        b.highAt = at;
    }
    drawn.resize(lastDrawnAt);
    appendDrawn(b);
    return lastDrawnAt;
}
