#ifndef REALTIMETRACE_H
#define REALTIMETRACE_H

#include <QPointF>
#include <QVector>

// What one real-time chart draws of a run: every sample while the run is short, and
// once it is long the lowest and the highest sample of each stretch of consecutive
// samples, in the order they came. A day at one sample a second would otherwise put
// 86,400 points on every chart and make each new sample cost a walk over all of them;
// this way the curve keeps its peaks and dips at a few points per pixel, and one more
// sample costs the same after a minute as after a day. Every sample stays in the
// stream log; only the drawing is thinned.
class RealTimeTrace
{
public:
    // At most maxBuckets stretches are drawn (two points each); when one more is
    // needed, neighbouring stretches are merged in pairs and each holds twice as many
    // samples from then on.
    explicit RealTimeTrace(int maxBuckets = 128);

    // Adds the next sample. Returns the index of the first drawn point that changed
    // or was added (points().size() when nothing did); all points before it are as
    // they were.
    int append(const QPointF& sample);
    void clear();

    const QVector<QPointF>& points() const { return drawn; }
    int samples() const { return total; }
    // 1 while every sample is drawn.
    int samplesPerBucket() const { return perBucket; }

private:
    struct Bucket {
        QPointF low, high;
        int lowAt = 0, highAt = 0; // sample numbers, to draw the two in time order
        int count = 0;
    };
    void appendDrawn(const Bucket& b);
    void mergePairs();

    int maxBuckets;
    int perBucket = 1;
    int total = 0;
    QVector<Bucket> buckets;
    QVector<QPointF> drawn;
    int lastDrawnAt = 0; // where the open (last) bucket's points begin
};

#endif // REALTIMETRACE_H
