// The GIL's two sides: what runs without it takes plain C data alone,
// captured by value, so that no Python object and no call of Python's C
// API can be reached from it; and what such code must ask of Python takes
// the GIL back for just that.
#pragma once

#include <Python.h>

template <typename F> auto without_gil(F f) -> decltype(f())
{
	PyThreadState *state = PyEval_SaveThread();
	auto result = f();
	PyEval_RestoreThread(state);
	return result;
}

template <typename F> auto with_gil(F f) -> decltype(f())
{
	PyGILState_STATE state = PyGILState_Ensure();
	auto result = f();
	PyGILState_Release(state);
	return result;
}
