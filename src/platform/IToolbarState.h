#pragma once
// What the overlay tells the toolbar to show. Until the toolbar exists a null implementation
// stands in.
class IToolbarState {
public:
    virtual ~IToolbarState() = default;
    // The page counter: `index` is 0-based and shows as index + 1, "index / count".
    virtual void SetPageInfo(int index, int count) = 0;
};

class CNoToolbarState : public IToolbarState {
public:
    void SetPageInfo(int, int) override {}
};
