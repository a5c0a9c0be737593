// The parsed, ordered form of a configuration string: lower-case keys in
// ascending byte order, values as given. No key or value is ever empty.
#ifndef KVO_COMMON_CONFIG_MAP_H
#define KVO_COMMON_CONFIG_MAP_H

#include <map>
#include <string>

typedef std::map<std::string, std::string> ConfigMap;

#endif
