// Resampling a whole image with ITK's filters: averaged blocks (--shrink)
// and the cube grid.

#include "convert/resampling.h"

#include "convert/formats/progressbar.h"

#include <itkBinShrinkImageFilter.h>
#include <itkResampleImageFilter.h>

SourceImage shrinkImage(const SourceImage& source, int factor, ProgressBar& progress)
{
    return std::visit(
        [&](const auto& image) -> SourceImage {
            using Image = typename std::decay_t<decltype(image)>::ObjectType;
            auto filter = itk::BinShrinkImageFilter<Image, Image>::New();
            filter->SetInput(image);
            filter->SetShrinkFactors(unsigned(factor));
            progress.follow(*filter);
            filter->Update();
            return typename Image::Pointer(filter->GetOutput());
        },
        source);
}

FloatImage::Pointer resampleImage(const SourceImage& source, const VoxelGrid& grid,
                                  ProgressBar& progress)
{
    return std::visit(
        [&](const auto& image) -> FloatImage::Pointer {
            using Image = typename std::decay_t<decltype(image)>::ObjectType;
            auto filter = itk::ResampleImageFilter<Image, FloatImage>::New();
            filter->SetInput(image);
            const auto size = image->GetLargestPossibleRegion().GetSize();
            FloatImage::SizeType extents;
            FloatImage::SpacingType spacing;
            itk::ContinuousIndex<double, 3> first; // the first written sample, in source indices
            for (unsigned axis = 0; axis < 3; ++axis) {
                extents[axis] = grid.extents[axis];
                spacing[axis] = grid.spacing[axis];
                const double sourceSpan = double(size[axis] - 1) * image->GetSpacing()[axis];
                const double span = double(grid.extents[axis] - 1) * grid.spacing[axis];
                first[axis] = (sourceSpan - span) / 2 / image->GetSpacing()[axis];
            }
            typename Image::PointType origin;
            image->TransformContinuousIndexToPhysicalPoint(first, origin);
            filter->SetSize(extents);
            filter->SetOutputSpacing(spacing);
            filter->SetOutputOrigin(origin);
            filter->SetOutputDirection(image->GetDirection());
            progress.follow(*filter);
            filter->Update();
            return FloatImage::Pointer(filter->GetOutput());
        },
        source);
}
