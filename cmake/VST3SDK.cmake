# The VST3 SDK subset that Debian ships with juce-modules-source-data, compiled in place
# into a static library (nothing of it is copied into this repository).
set(VST3_SDK_ROOT "/usr/share/juce/modules/juce_audio_processors/format_types/VST3_SDK"
    CACHE PATH "Root of the VST3 SDK subset")
if(NOT EXISTS "${VST3_SDK_ROOT}/pluginterfaces/base/funknown.h")
  message(FATAL_ERROR "VST3 SDK not found at ${VST3_SDK_ROOT}: apt-get install juce-modules-source-data")
endif()

set(_sdk_sources
  pluginterfaces/base/conststringtable.cpp
  pluginterfaces/base/coreiids.cpp
  pluginterfaces/base/funknown.cpp
  pluginterfaces/base/ustring.cpp
  base/source/baseiids.cpp
  base/source/fbuffer.cpp
  base/source/fdebug.cpp
  base/source/fobject.cpp
  base/source/fstreamer.cpp
  base/source/fstring.cpp
  base/source/updatehandler.cpp
  base/thread/source/flock.cpp
  public.sdk/source/common/memorystream.cpp
  public.sdk/source/common/pluginview.cpp
  public.sdk/source/vst/vstbus.cpp
  public.sdk/source/vst/vstcomponent.cpp
  public.sdk/source/vst/vstcomponentbase.cpp
  public.sdk/source/vst/vsteditcontroller.cpp
  public.sdk/source/vst/vstinitiids.cpp
  public.sdk/source/vst/vstparameters.cpp
)
list(TRANSFORM _sdk_sources PREPEND "${VST3_SDK_ROOT}/")
add_library(vst3sdk STATIC ${_sdk_sources})
target_include_directories(vst3sdk SYSTEM PUBLIC "${VST3_SDK_ROOT}")
target_compile_definitions(vst3sdk PUBLIC RELEASE=1)
target_compile_options(vst3sdk PRIVATE -w)
set_target_properties(vst3sdk PROPERTIES CXX_VISIBILITY_PRESET hidden VISIBILITY_INLINES_HIDDEN ON)
find_package(Threads REQUIRED)
target_link_libraries(vst3sdk PUBLIC Threads::Threads ${CMAKE_DL_LIBS})

# The SDK's hosting helpers (HostApplication, HostMessage, HostAttributeList) for the host side.
add_library(vst3sdk_hosting STATIC
  "${VST3_SDK_ROOT}/public.sdk/source/vst/hosting/hostclasses.cpp"
  "${VST3_SDK_ROOT}/public.sdk/source/vst/hosting/pluginterfacesupport.cpp")
target_link_libraries(vst3sdk_hosting PUBLIC vst3sdk)
target_compile_options(vst3sdk_hosting PRIVATE -w)
