# The translation library, with the settings file it writes the chosen language to.
set(test_libs i18n app)
