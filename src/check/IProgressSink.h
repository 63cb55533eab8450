#pragma once

// Where long work reports how far it has got and learns whether the user
// asked to stop. Called on the worker thread; implementations hand the value
// to whatever shows it and may drop a value equal to the last one shown.
class IProgressSink
{
public:
    virtual ~IProgressSink() = default;

    virtual bool IsCancelled() const = 0;

    // `percent` is 0 to 100.
    virtual void SetProgress(int percent) = 0;
};
