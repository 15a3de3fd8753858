// Marks what the language library exports; everything else stays inside it.
#pragma once

#define KVO_LANG_API __attribute__((visibility("default")))
