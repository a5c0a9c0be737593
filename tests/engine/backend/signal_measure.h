// Measurements on sample sequences used by the back-end tests (double precision).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

std::vector<int16_t> Sine(double freqHz, double rate, int count, double amplitude);

// Magnitude of the DFT of x at one frequency (normalised: a sine of
// amplitude A gives about A/2).
double ToneMagnitude(const std::vector<double>& x, double freqHz, double rate);

// Frequency with the largest DFT magnitude on a grid of `stepHz` up to rate/2.
double DominantFrequency(const std::vector<double>& x, double rate, double stepHz);

double Rms(const std::vector<double>& x);

// 10 log10(signal power / error power).
double SnrDb(const std::vector<double>& reference, const std::vector<double>& test);

// Lag in [minLag, maxLag] with the largest normalised autocorrelation, and that value.
int BestLag(const std::vector<double>& x, int minLag, int maxLag, double* value);

std::vector<double> ToDouble(const int16_t* x, size_t n);

// Frequency in [loHz, hiHz] where the spectral envelope peaks: power
// averaged over 256-sample Hann frames (wide enough lobes to merge
// harmonics), smoothed over +-100 Hz, on a 20-Hz grid.
double EnvelopePeakFrequency(const std::vector<double>& x, double rate, double loHz, double hiHz);
