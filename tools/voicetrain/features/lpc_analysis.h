// Spectral analysis of training audio in the vocoder's terms: all-pole
// (LPC) envelopes of 25-ms windows every 5 ms, as line spectral
// frequencies in units of pi/65536, and a voicing decision.
#ifndef KVO_VOICETRAIN_LPC_ANALYSIS_H
#define KVO_VOICETRAIN_LPC_ANALYSIS_H

#include <cstdint>
#include <vector>

namespace voicetrain {

// Predictor a[1..order] (a[0] = 1) of the autocorrelation method, with
// a slight white-noise floor so silent windows stay well conditioned.
// The Gaussian lag window (`lag_window_hz` wide in the spectrum) is taken
// at `rate`. Returns the prediction error power (>= 0).
double LpcFromSignal(const double* x, int n, int order, std::vector<double>& a, int rate = 16000,
                     double lag_window_hz = 60.0);

// LSFs of a stable predictor, ascending, as angles in (0, pi). False when
// the polynomial roots could not all be found (then `lsf` is unusable).
bool LpcToLsf(const std::vector<double>& a, std::vector<double>& lsf);

// Predictor of LSF angles (the textbook inverse, without the vocoder's
// formant sharpening).
std::vector<double> LsfToLpcFloat(const std::vector<double>& lsf);

// LSF angle to the vocoder's unit, pi/65536, kept within 1 ... 65535.
uint16_t LsfUnits(double angle);

struct FrameAnalysis {
  std::vector<uint16_t> lsf;  // order values, pi/65536
  double rms = 0.0;           // over the (Hann) window, in sample units
  bool voiced = false;
  double f0 = 0.0;  // the teacher's own F0 estimate (voiced frames)
};

struct AnalysisSettings {
  int rate = 16000;
  int order = 20;
  int hop = 80;                     // 5 ms
  int window = 400;                 // 25 ms
  double voicing_threshold = 0.45;  // normalised autocorrelation peak below 1 kHz
  double voiced_low_share = 0.25;   // and that band's least share of the power,
  double periodic_share = 0.5;      // unless the whole band repeats this well
  double silence_rms = 60.0;        // below: unvoiced whatever the peak
  double quiet_floor_db = 40.0;     // this far below the loudest frame: unvoiced
  int min_f0 = 70;                  // pitch search range (Hz)
  int max_f0 = 400;
  int pitch_span = 480;         // samples around a frame searched for the pitch
                                // (two periods at min_f0; a multiple of 4)
  double lag_window_hz = 60.0;  // spectral smoothing of the LPC fit
};

// The vocoder's LPC order at a voice rate (8000: 12, 11025: 14, 16000: 20,
// 22050: 24); 0 for a rate it does not render.
int LpcOrderForRate(int rate);

// Settings for a voice rate with the vocoder's order: the same 5-ms hop,
// 25-ms window and 30-ms pitch span in samples of that rate. The pitch
// search keeps its quarter-rate low band (below rate / 16), which at
// 8000 Hz still holds every F0 up to max_f0. False for a rate the
// vocoder does not render or whose 5-ms frame is not whole samples
// (11025, 22050).
bool AnalysisForRate(int rate, AnalysisSettings* settings);

// The lag window the trainer fits voice envelopes with: 60 Hz at 16000,
// 150 Hz at 8000. At 8 kHz the 12 poles have only 4 kHz to cover, and with
// 60 Hz they gave the teacher's close vowels two resonances below 600 Hz
// (about 240 and 490 Hz, where the 16 kHz fit has one): rendered at the
// voice's own F0, not the teacher's, the second harmonic then stood far
// above the first and the third, and the voice was heard an octave high.
// (The quality report keeps 60 Hz at every rate: it measures every voice
// alike.)
double TrainingLagWindowHz(int rate);

// Frame t covers samples [t*hop, (t+1)*hop); its window is centred there.
std::vector<FrameAnalysis> AnalyseSignal(const std::vector<int16_t>& samples, const AnalysisSettings& settings);

}  // namespace voicetrain

#endif
