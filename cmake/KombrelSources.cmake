# The plug-in's sources: one list that every build of the module uses.
set(KOMBREL_PLUGIN_SOURCES
  boundary/binding.cpp
  boundary/entries.cpp
  boundary/layout_check.cpp
  boundary/lifecycle.cpp
  boundary/size_registry.cpp
  common/common.cpp
  platform/dll_startup.cpp
  platform/format.cpp
  settings/notice.cpp
  transfer/collection.cpp
  transfer/form_table.cpp
  transfer/hook.cpp
  transfer/merge.cpp
  transfer/selection.cpp
)

# What the Linux loader needs in place of the PE headers and the C runtime's start-up.
set(KOMBREL_PLUGIN_LINUX_SOURCES
  boundary/module_image.cpp
  platform/runtime_linux.cpp
)

# What the Windows module needs in place of the Microsoft C runtime's start-up.
set(KOMBREL_PLUGIN_WINDOWS_SOURCES
  platform/runtime_windows.cpp
)

# The simulated host, the same sources for every build of it.
set(KOMBREL_SIMHOST_SOURCES
  simulated_host/codepages.cpp
  simulated_host/forms.cpp
  simulated_host/guards.cpp
  simulated_host/host.cpp
  simulated_host/message_box.cpp
  simulated_host/plugin.cpp
  simulated_host/services_data.cpp
  simulated_host/services_document.cpp
  simulated_host/services_memory.cpp
  simulated_host/services_settings.cpp
  simulated_host/services_system.cpp
  simulated_host/services_text.cpp
  simulated_host/services_ui.cpp
  simulated_host/write_watch.cpp
)
