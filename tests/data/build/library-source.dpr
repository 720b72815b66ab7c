//
// Language module generated using Kestrin Translator
//
library P;
//TRN <Marker, please do not modify this line!
{$E DEU}
{--- Forms ---}
{$R '{DIR}/DEU/Main.dfm'}
{$R '{DIR}/sub/DEU/Other.dfm'}
{--- Version Info ---}
{$R '{DIR}/DEU/P.VerRes.res'}
{--- Resource Strings ---}
{$R '{DIR}/DEU/P.StringRes.RES'}
{--- Custom Resources ---}
{$R '{DIR}/DEU/Pics.res'}
end.
