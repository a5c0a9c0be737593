# Flite with its cmu_us_slt voice (flite1-dev), for the programs that use
# it as an English reference: where it is installed, the interface target
# kvo_flite carries its headers and libraries. Included from every folder
# that needs it; the first include defines the target.
if(TARGET kvo_flite)
  return()
endif()
find_path(KVO_FLITE_INCLUDE flite/flite.h)
find_library(KVO_FLITE_LIBRARY flite)
find_library(KVO_FLITE_SLT_LIBRARY flite_cmu_us_slt)
find_library(KVO_FLITE_USENGLISH_LIBRARY flite_usenglish)
find_library(KVO_FLITE_CMULEX_LIBRARY flite_cmulex)
if(KVO_FLITE_INCLUDE AND KVO_FLITE_LIBRARY AND KVO_FLITE_SLT_LIBRARY AND KVO_FLITE_USENGLISH_LIBRARY
   AND KVO_FLITE_CMULEX_LIBRARY)
  add_library(kvo_flite INTERFACE)
  target_include_directories(kvo_flite INTERFACE ${KVO_FLITE_INCLUDE})
  target_link_libraries(kvo_flite INTERFACE ${KVO_FLITE_SLT_LIBRARY} ${KVO_FLITE_USENGLISH_LIBRARY}
                        ${KVO_FLITE_CMULEX_LIBRARY} ${KVO_FLITE_LIBRARY} m)
endif()
