// What differs between the engine modules built from these adapter sources:
// the module's own configuration rules and which parameter steps apply.
// Each module defines kModuleFlavour in a source file of its own.
#ifndef KVO_ENGINE_MODULE_MODULE_FLAVOUR_H
#define KVO_ENGINE_MODULE_MODULE_FLAVOUR_H

#include "config_assistant.h"

struct ModuleFlavour {
  const ConfigRule* session_rules;
  int session_rule_count;
  const ConfigRule* synth_rules;
  int synth_rule_count;
  // True for the n6 engine: speedup, symbolfilter, special numbers and
  // gainfactor are applied, speedmode and silencemode refused.
  bool n6_parameter_steps;
};

extern const ModuleFlavour kModuleFlavour;

#endif
