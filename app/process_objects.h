#pragma once

#include "app/program_state.h"
#include "app/registry.h"
#include "dict/word_store.h"

#include <memory>

// The three objects that live for the whole run, created in this order at
// start-up: the program state, the settings store and the word store. The
// word store is replaced whole whenever the current dictionary changes.
struct ProcessObjects
{
    std::unique_ptr<PRG_STAT> state;
    std::unique_ptr<INIT> registry;
    std::unique_ptr<GWORDW> words;
};

// Capacity of every word store the program builds.
inline constexpr int WordStoreCapacity = 72;
