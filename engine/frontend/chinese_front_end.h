// The Chinese front end's record: intake, library readers, word list and
// scratch of one instance. Taken from the arena once at init.
#pragma once

#include <cstdint>

#include "core/resource_library.h"

#include "frontend/analysis/chinese_analysis.h"
#include "frontend/intake/text_intake.h"

struct qvInstance;
struct qvLibrary;

namespace kvo::english {
struct EnglishFrontEnd;
}

namespace kvo::frontend {

// Called after the analysis of every Chinese sentence (debugging and tests).
using AnalysisObserver = void (*)(void* user, const WordList& words, const qvAnalysisItem* items, int32_t count);

// One section of an open library as a read callback.
using LibrarySection = qvSectionRef;

struct ChineseFrontEnd {
  TextIntake intake;
  LibrarySection conversion[3];  // GBK, Big5, Unicode
  ConversionMemo conversionMemo;
  LibrarySection lexiconSection;
  LibrarySection polyphoneSection;
  uint8_t* boundaryModels;  // arena block holding both boundary models
  int32_t boundaryModelBytes;
  uint16_t* nameModel;  // arena block holding the person-name lists
  int32_t nameModelBytes;
  AnalysisResources resources;
  WordList words;
  WordBuildScratch scratch;
  NormalisationScratch normalisation;
  AnalysisObserver observer;
  void* observerUser;
  english::EnglishFrontEnd* english;  // arena block taken after the boundary models
  // The domain library's phrase dictionary and its block buffer (taken
  // last, only when a domain library is open).
  LibrarySection domainSection;
  DomainDictionary domain;
  uint8_t* domainBlock = nullptr;
};

// The record of an initialised instance, or nullptr.
ChineseFrontEnd* ChineseFrontEndOf(qvInstance* instance);

// Installs an observer of the analysis results (nullptr to remove).
void SetAnalysisObserver(qvInstance* instance, AnalysisObserver observer, void* user);

}  // namespace kvo::frontend
