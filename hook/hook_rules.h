#pragma once
// Decisions of the mouse hook procedure. No Windows dependency.
